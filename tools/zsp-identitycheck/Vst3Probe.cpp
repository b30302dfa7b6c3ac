// VST 3: the module entry, the factory's classes and both class ids, and
// the component and controller made from them.

#include "IdentityProbe.h"

#include <cstring>
#include <dlfcn.h>

#include "HostIdentity.h"

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

using namespace Steinberg;

namespace
{
std::string utf8Of(const char16* text, size_t capacity)
{
    std::string out;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i)
    {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < capacity)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(text[++i]) - 0xDC00);
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0x800)
            out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        else if (c < 0x10000)
            out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        else
            out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

std::string bytesText(const TUID id)
{
    ClassId bytes;
    std::memcpy(bytes.data(), id, bytes.size());
    return classIdBytesText(bytes);
}

template <typename Interface>
Interface* query(FUnknown* object)
{
    void* result = nullptr;
    return object != nullptr && object->queryInterface(Interface::iid, &result) == kResultOk
               ? static_cast<Interface*>(result)
               : nullptr;
}

// The component and controller made from the factory's class ids.
void probeInstances(IPluginFactory* factory, const TUID componentId, const TUID controllerId, ProbeReport& report)
{
    Vst::IComponent* component = nullptr;
    report.check(factory->createInstance(reinterpret_cast<FIDString>(componentId), Vst::IComponent::iid,
                                         reinterpret_cast<void**>(&component)) == kResultOk
                     && component != nullptr,
                 "the factory makes no component from the component class id");
    if (component == nullptr)
        return;

    TUID reported {};
    component->getControllerClassId(reported);
    report.value("Controller of component:", bytesText(reported));
    report.check(std::memcmp(reported, controllerId, sizeof(TUID)) == 0,
                 "the component reports another controller class id than the factory lists");

    // Every interface leads back to the same object.
    auto* processor = query<Vst::IAudioProcessor>(component);
    auto* back = query<Vst::IComponent>(processor);
    auto* unknownOfComponent = query<FUnknown>(component);
    auto* unknownOfProcessor = query<FUnknown>(processor);
    report.check(processor != nullptr && back == component && unknownOfComponent == unknownOfProcessor,
                 "the component's interfaces do not lead back to one object");
    for (FUnknown* held : std::initializer_list<FUnknown*> {processor, back, unknownOfComponent, unknownOfProcessor})
        if (held != nullptr)
            held->release();

    FUnknown* controller = nullptr;
    report.check(factory->createInstance(reinterpret_cast<FIDString>(reported), Vst::IEditController::iid,
                                         reinterpret_cast<void**>(&controller)) == kResultOk
                     && controller != nullptr,
                 "the factory makes no controller from the reported class id");
    if (controller != nullptr)
        controller->release();
    component->release();

    // JUCE's own compile-time ids are not offered.
    const TUID wrong = {1, 2, 3};
    FUnknown* none = nullptr;
    report.check(factory->createInstance(reinterpret_cast<FIDString>(wrong), FUnknown::iid,
                                         reinterpret_cast<void**>(&none)) != kResultOk,
                 "the factory makes something from an unknown class id");
}
} // namespace

void probeVst3(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report)
{
    const RecordSeen record = probeRecord(libraryPath, expected, report);
    using ModuleEntry = bool (*)(void*);
    using ModuleExit = bool (*)();
    using GetFactory = IPluginFactory* (*)();
    const auto entry = reinterpret_cast<ModuleEntry>(dlsym(library, "ModuleEntry"));
    const auto exit = reinterpret_cast<ModuleExit>(dlsym(library, "ModuleExit"));
    const auto getFactory = reinterpret_cast<GetFactory>(dlsym(library, "GetPluginFactory"));
    report.check(entry != nullptr && exit != nullptr && getFactory != nullptr, "entry points missing");
    if (entry == nullptr || exit == nullptr || getFactory == nullptr || !entry(library))
        return;

    IPluginFactory* factory = getFactory();
    report.check(factory != nullptr, "GetPluginFactory gave no factory");
    auto* factory3 = query<IPluginFactory3>(factory);
    auto* factory2 = query<IPluginFactory2>(factory);
    report.check(factory3 != nullptr && factory2 != nullptr, "the factory is not an IPluginFactory3");
    if (factory3 != nullptr && factory2 != nullptr)
    {
        PFactoryInfo info {};
        factory->getFactoryInfo(&info);
        report.value("Factory vendor:", info.vendor);
        report.check(std::strcmp(info.vendor, record.vendorName.c_str()) == 0, "the factory vendor differs from the record");
        report.check(info.url[0] == 0 && info.email[0] == 0, "the factory has a web address or e-mail");
        report.check(info.flags == PFactoryInfo::kUnicode, "the factory flags are " + std::to_string(info.flags));
        report.expect(expected.vendorName, info.vendor, "factory vendor");

        const int32 classes = factory->countClasses();
        report.check(classes == 2, std::to_string(classes) + " classes, expected 2");
        const char* categories[] = {kVstAudioEffectClass, kVstComponentControllerClass};
        const ClassId ruleIds[] = {classId(Vst3Class::component, record.pluginId, record.productName),
                                   classId(Vst3Class::controller, record.pluginId, record.productName)};
        const std::optional<std::string>* expectedIds[] = {&expected.componentId, &expected.controllerId};
        TUID ids[2] {};
        for (int32 i = 0; i < 2 && i < classes; ++i)
        {
            PClassInfoW w {};
            PClassInfo2 two {};
            factory3->getClassInfoUnicode(i, &w);
            factory2->getClassInfo2(i, &two);
            std::memcpy(ids[i], w.cid, sizeof(TUID));
            const std::string name = utf8Of(w.name, PClassInfo::kNameSize);
            const std::string vendor = utf8Of(w.vendor, PClassInfoW::kVendorSize);
            report.value(i == 0 ? "Component class:" : "Controller class:",
                         bytesText(w.cid) + " \"" + w.category + "\" \"" + name + "\" \"" + vendor + "\" "
                             + utf8Of(w.version, PClassInfoW::kVersionSize) + ", "
                             + utf8Of(w.sdkVersion, PClassInfoW::kVersionSize) + ", \"" + w.subCategories
                             + "\", flags " + std::to_string(w.classFlags));
            report.check(std::strcmp(w.category, categories[i]) == 0, "class " + std::to_string(i) + " category");
            report.check(name == record.productName && vendor == record.vendorName,
                         "class " + std::to_string(i) + " name or vendor differs from the record");
            report.check(utf8Of(w.version, PClassInfoW::kVersionSize) == "2.5.9"
                             && utf8Of(w.sdkVersion, PClassInfoW::kVersionSize) == "VST 3.6.7"
                             && std::strcmp(w.subCategories, "Instrument") == 0 && w.classFlags == 2
                             && w.cardinality == PClassInfo::kManyInstances,
                         "class " + std::to_string(i) + " version, SDK version, subcategories, flags or cardinality");
            report.check(std::memcmp(two.cid, w.cid, sizeof(TUID)) == 0 && name == two.name && vendor == two.vendor
                             && std::strcmp(two.version, "2.5.9") == 0 && two.classFlags == w.classFlags,
                         "class " + std::to_string(i) + " differs between its plain and Unicode information");
            report.check(std::memcmp(w.cid, ruleIds[i].data(), sizeof(TUID)) == 0,
                         "class " + std::to_string(i) + " id does not follow the class id rule for the record");
            report.expect(*expectedIds[i], bytesText(w.cid), i == 0 ? "component class id" : "controller class id");
            report.expect(expected.productName, name, "class name");
        }
        probeInstances(factory, ids[0], ids[1], report);
    }
    for (FUnknown* held : std::initializer_list<FUnknown*> {factory3, factory2, factory})
        if (held != nullptr)
            held->release();
    exit();
}
