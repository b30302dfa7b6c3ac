// The instrument and group menus, the two file choosers, group selection and
// the clicks on the layout's name labels.

#include "CZSPGUI.h"

#include "processor/CZSP.h"

void CZSPGUI::mouseDown(const juce::MouseEvent& e)
{
    // Labels of the layout pass their clicks here; the window itself has no
    // control id and so does nothing.
    const juce::var id = e.eventComponent != nullptr ? controlIdOf(*e.eventComponent) : juce::var();
    if (id == juce::var(1))
        showInstrumentMenu();
    else if (id == juce::var(2))
        showGroupMenu();
}

void CZSPGUI::mouseDoubleClick(const juce::MouseEvent& e)
{
    const juce::var id = e.eventComponent != nullptr ? controlIdOf(*e.eventComponent) : juce::var();
    if (id == juce::var(1))
        chooseInstrumentFile();
}

void CZSPGUI::showInstrumentMenu()
{
    const juce::StringArray& names = processor.getInstrumentNames();
    const juce::Array<juce::File>& files = processor.getInstrumentFiles();
    const juce::String current = processor.getCurrentInstrumentPath();
    juce::PopupMenu menu;
    for (int index = 0; index < names.size(); ++index)
    {
        const bool ticked = index < files.size() && files.getReference(index).getFullPathName() == current;
        menu.addItem(index + 1, names[index], true, ticked);
    }
    juce::Component::SafePointer<CZSPGUI> safe(this);
    menu.showMenuAsync(juce::PopupMenu::Options().withMousePosition(), [safe](int chosen) {
        if (safe != nullptr && chosen > 0)
            safe->processor.loadInstrument(chosen - 1, {}, false, false);
    });
}

void CZSPGUI::showGroupMenu()
{
    juce::PopupMenu menu;
    for (int index = 0; index < groupNames.size(); ++index)
        menu.addItem(index + 1, groupNames[index], true, index == view.currentGroup);
    juce::Component::SafePointer<CZSPGUI> safe(this);
    menu.showMenuAsync(juce::PopupMenu::Options().withMousePosition(), [safe](int chosen) {
        if (safe != nullptr && chosen > 0)
            safe->selectGroup(chosen - 1);
    });
}

void CZSPGUI::selectGroup(int index)
{
    const CEngineEdit edit = ControlBindings::selectGroupEdit(index, groupNames.size());
    if (edit.kind == CEngineEdit::Kind::none)
        return;
    postEdit(edit);
}

std::vector<int> CZSPGUI::groupsForMask(const juce::String& mask) const
{
    return ControlBindings::groupsForMask(mask, groupNames.size(), view.currentGroup);
}

namespace
{
// The folder that holds the plugin's own library file (the library folder
// lies beside it).
juce::File pluginFolder(const CZSP& processor)
{
    const juce::String library = processor.getLibraryFolder();
    if (library.isEmpty() || !juce::File::isAbsolutePath(library))
        return {};
    return juce::File(library).getParentDirectory();
}
} // namespace

void CZSPGUI::chooseInstrumentFile()
{
    const juce::String saved = processor.getSettings().getValue(settingsKeyLoadInstrument);
    const juce::File start = saved.isNotEmpty() && juce::File::isAbsolutePath(saved) ? juce::File(saved)
                                                                                      : pluginFolder(processor);
    launchChooser("Open Instrument", start, true);
}

void CZSPGUI::chooseFileToLoad()
{
    launchChooser("Load Instrument", pluginFolder(processor), false);
}

void CZSPGUI::launchChooser(const juce::String& title, const juce::File& start, bool rememberFolder)
{
    fileChooser = std::make_unique<juce::FileChooser>(title, start, "*.zse", true);
    juce::Component::SafePointer<CZSPGUI> safe(this);
    fileChooser->launchAsync(juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                             [safe, rememberFolder](const juce::FileChooser& chooser) {
                                 if (safe == nullptr)
                                     return;
                                 const juce::File chosen = chooser.getResult();
                                 if (chosen == juce::File())
                                     return;  // cancelled
                                 safe->processor.loadInstrument(-1, chosen.getFullPathName(), false, false);
                                 if (rememberFolder)
                                     safe->processor.getSettings().setValue(
                                         settingsKeyLoadInstrument, chosen.getParentDirectory().getFullPathName());
                             });
}
