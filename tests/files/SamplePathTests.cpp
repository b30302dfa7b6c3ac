#include <gtest/gtest.h>

#include <filesystem>

#include "files/FileTestSupport.h"
#include "files/SamplePath.h"

TEST(ResolveSamplePath, WorkedExamples)
{
    const std::string organ = "C:\\Lib\\Organ\\organ.zse";
    EXPECT_EQ(resolveSamplePath("A3.wav", organ), "C:\\Lib\\Organ\\A3.wav");
    EXPECT_EQ(resolveSamplePath("Samples/A3.wav", organ), "C:\\Lib\\Organ\\Samples\\A3.wav");
    EXPECT_EQ(resolveSamplePath("..\\Shared\\A3.wav", organ), "C:\\Lib\\Shared\\A3.wav");
    EXPECT_EQ(resolveSamplePath("..\\..\\A3.wav", organ), "C:\\A3.wav");
    EXPECT_EQ(resolveSamplePath("Soft\\..\\A3.wav", organ), "C:\\Lib\\A3.wav");
    EXPECT_EQ(resolveSamplePath("D:\\Samples\\A3.wav", organ), "D:\\Samples\\A3.wav");
    EXPECT_EQ(resolveSamplePath("\\Samples\\A3.wav", organ), "\\Samples\\A3.wav");
}

TEST(ResolveSamplePath, EdgeCases)
{
    // An instrument path starting with "." leaves the name untouched.
    EXPECT_EQ(resolveSamplePath("Soft/..\\A3.wav", ".\\organ.zse"), "Soft/..\\A3.wav");
    EXPECT_EQ(resolveSamplePath("x/y.wav", "./lib/organ.zse"), "x/y.wav");
    EXPECT_EQ(resolveSamplePath("", "C:\\Lib\\organ.zse"), "");
    // More "..\" than folders: what is left of the base once no "\" remains.
    EXPECT_EQ(resolveSamplePath("..\\..\\A3.wav", "C:\\organ.zse"), "C:\\A3.wav");
    EXPECT_EQ(resolveSamplePath("..\\..\\..\\..\\A3.wav", "C:\\Lib\\organ.zse"), "C:\\A3.wav");
    // "/" counts as "\" when looking for parent steps.
    EXPECT_EQ(resolveSamplePath("../Shared/A3.wav", "C:\\Lib\\Organ\\organ.zse"), "C:\\Lib\\Shared\\A3.wav");
    // A name ending in "..\" keeps nothing after it.
    EXPECT_EQ(resolveSamplePath("Soft\\..\\", "C:\\Lib\\Organ\\organ.zse"), "C:\\Lib\\");
    // An instrument path with no folder at all is its own base.
    EXPECT_EQ(resolveSamplePath("A3.wav", "organ.zse"), "organ.zse\\A3.wav");
    // A one-letter name is not mistaken for a drive.
    EXPECT_EQ(resolveSamplePath("A", "C:\\Lib\\organ.zse"), "C:\\Lib\\A");
}

TEST(ResolveSamplePath, PosixInstrumentPathsResolveInTheirOwnForm)
{
    const std::string organ = "/home/x/lib/Organ/organ.zse";
    EXPECT_EQ(resolveSamplePath("A3.wav", organ), "/home/x/lib/Organ/A3.wav");
    EXPECT_EQ(resolveSamplePath("Samples\\A3.wav", organ), "/home/x/lib/Organ/Samples/A3.wav");
    EXPECT_EQ(resolveSamplePath("..\\Shared\\A3.wav", organ), "/home/x/lib/Shared/A3.wav");
    EXPECT_EQ(resolveSamplePath("..\\..\\..\\..\\..\\..\\A3.wav", organ), "/A3.wav");
    // Absolute stored names stay as stored, in Windows form.
    EXPECT_EQ(resolveSamplePath("D:\\Samples\\A3.wav", organ), "D:\\Samples\\A3.wav");
}

class ToPlatformPath : public testing::Test
{
protected:
    void SetUp() override
    {
        // A folder per test: tests may run in parallel processes.
        folder = std::string("platform-path-") + testing::UnitTest::GetInstance()->current_test_info()->name();
        root = scratchDir() + "/" + folder;
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root + "/Lib/Organ Samples");
        writeScratchFile(folder + "/Lib/Organ Samples/A3.wav", { 1 });
    }

    std::string folder;
    std::string root;
};

TEST_F(ToPlatformPath, SeparatorsAreMappedAndExistingNamesKept)
{
    EXPECT_EQ(toPlatformPath(root + "\\Lib\\Organ Samples\\A3.wav"), root + "/Lib/Organ Samples/A3.wav");
    EXPECT_EQ(toPlatformPath(root + "/Lib/Organ Samples/A3.wav"), root + "/Lib/Organ Samples/A3.wav");
    EXPECT_EQ(toPlatformPath(""), "");
}

TEST_F(ToPlatformPath, LetterCaseIsLookedUpPartByPart)
{
    EXPECT_EQ(toPlatformPath(root + "\\lib\\ORGAN samples\\a3.WAV"), root + "/Lib/Organ Samples/A3.wav");
    // Below a part that exists in no case, the rest stays as given.
    EXPECT_EQ(toPlatformPath(root + "\\LIB\\Strings\\A3.WAV"), root + "/Lib/Strings/A3.WAV");
    EXPECT_EQ(toPlatformPath(root + "\\lib\\..\\lib\\organ samples\\a3.wav"), root + "/Lib/../Lib/Organ Samples/A3.wav");
}

TEST_F(ToPlatformPath, SeveralCaseMatchesPickTheSameOneEveryTime)
{
    std::filesystem::create_directories(root + "/Dup");
    writeScratchFile(folder + "/Dup/b.wav", { 1 });
    writeScratchFile(folder + "/Dup/B.WAV", { 2 });
    EXPECT_EQ(toPlatformPath(root + "\\dup\\b.Wav"), root + "/Dup/B.WAV");
}

TEST_F(ToPlatformPath, DriveLetterPathsAreOnlyMapped)
{
    EXPECT_EQ(toPlatformPath("C:\\Lib\\Organ\\A3.wav"), "C:/Lib/Organ/A3.wav");
}
