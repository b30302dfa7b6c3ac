// The renderer's command line.

#include <gtest/gtest.h>

#include <optional>

#include "RenderOptions.h"

namespace
{
const std::vector<std::string> required = { "--instrument", "i.zse", "--midi", "m.mid", "--output", "o.wav" };

std::vector<std::string> with(std::vector<std::string> extra)
{
    std::vector<std::string> arguments = required;
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}
} // namespace

TEST(RenderOptions, DefaultsApplyWhenOnlyThePathsAreGiven)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parseRenderOptions(required, options, error)) << error;
    EXPECT_EQ(options.instrumentPath, "i.zse");
    EXPECT_EQ(options.midiPath, "m.mid");
    EXPECT_EQ(options.outputPath, "o.wav");
    EXPECT_EQ(options.sampleRate, 44100);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tailSeconds, 2.0);
    EXPECT_EQ(options.outputs, 1);
    EXPECT_EQ(options.seed, 1u);
    EXPECT_FALSE(options.quiet);
    EXPECT_FALSE(options.allowMissingSamples);
}

TEST(RenderOptions, EveryOptionIsReadAndCheckedForRange)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(parseRenderOptions(with({ "--sample-rate", "96000", "--block-size", "64", "--tail", "0.25",
                                          "--outputs", "16", "--seed", "4294967295", "--quiet",
                                          "--allow-missing-samples" }),
                                   options, error))
        << error;
    EXPECT_EQ(options.sampleRate, 96000);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.tailSeconds, 0.25);
    EXPECT_EQ(options.outputs, 16);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_TRUE(options.quiet);
    EXPECT_TRUE(options.allowMissingSamples);

    for (const std::vector<std::string>& bad :
         { with({ "--outputs", "0" }), with({ "--outputs", "17" }), with({ "--block-size", "0" }),
           with({ "--sample-rate", "44100.5" }), with({ "--tail", "nan" }), with({ "--tail", "-0.1" }),
           with({ "--seed", "-1" }), with({ "--seed" }), with({ "--frobnicate" }), with({ "stray" }),
           std::vector<std::string> { "--midi", "m.mid", "--output", "o.wav" } })
    {
        EXPECT_FALSE(parseRenderOptions(bad, options, error)) << bad.back();
        EXPECT_FALSE(error.empty());
    }
}

TEST(RenderOptions, FormatAndUntilSilentAreRead)
{
    struct Case
    {
        std::vector<std::string> extra;
        RenderFormat format;
        std::optional<double> level;
        bool quiet;
    };
    for (const Case& c : {
             Case { {}, RenderFormat::f32, std::nullopt, false },
             Case { { "--format", "s16" }, RenderFormat::s16, std::nullopt, false },
             Case { { "--format", "s24", "--until-silent" }, RenderFormat::s24, -80.0, false },
             Case { { "--until-silent", "-60", "--quiet" }, RenderFormat::f32, -60.0, true },
             Case { { "--until-silent", "--quiet" }, RenderFormat::f32, -80.0, true },
             Case { { "--until-silent", "0" }, RenderFormat::f32, 0.0, false },
         })
    {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE(parseRenderOptions(with(c.extra), options, error)) << error;
        EXPECT_EQ(options.format, c.format);
        EXPECT_EQ(options.untilSilentDb, c.level);
        EXPECT_EQ(options.quiet, c.quiet);
    }
    for (const std::vector<std::string>& bad :
         { with({ "--format", "f64" }), with({ "--format" }), with({ "--until-silent", "-201" }),
           with({ "--until-silent", "3" }), with({ "--until-silent", "--tail", "1" }) })
    {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(parseRenderOptions(bad, options, error)) << bad.back();
        EXPECT_FALSE(error.empty());
    }
}
