// The VST 3 entry point. JUCE's wrapper fixes the class ids and names at
// compile time; this factory wraps JUCE's (which the build renames to
// juceGetPluginFactory) and shows hosts the identity record instead: the
// factory's vendor, both classes with their names and class ids, and, through
// a thin layer around JUCE's component, the controller class id the component
// reports. Everything else goes to JUCE's objects unchanged, including the
// private interface JUCE's component and controller use between them.

#undef GetPluginFactory

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "PluginIdentity.h"

#define JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY 1
#include <juce_audio_processors/format_types/juce_VST3Headers.h>

using namespace Steinberg;

extern "C" IPluginFactory* PLUGIN_API juceGetPluginFactory();

namespace
{
constexpr const char* classVersion = JucePlugin_VersionString;
constexpr const char* classSdkVersion = "VST 3.6.7";
constexpr const char* classSubCategories = "Instrument";
constexpr uint32 classFlags = Vst::kSimpleModeSupported;
static_assert(Vst::kSimpleModeSupported == 2, "the class flags hosts see");

bool sameId(const void* a, const ClassId& b)
{
    return a != nullptr && std::memcmp(a, b.data(), b.size()) == 0;
}

void copyText(const char* text, char8* into, size_t capacity)
{
    std::memset(into, 0, capacity);
    std::strncpy(into, text, capacity - 1);
}

void copyText(const juce::String& text, char8* into, size_t capacity)
{
    std::memset(into, 0, capacity);
    text.copyToUTF8(into, capacity);
}

void copyText(const juce::String& text, char16* into, size_t capacity)
{
    std::memset(into, 0, capacity * sizeof(char16));
    const auto utf16 = text.toUTF16();
    const auto* unit = reinterpret_cast<const uint16*>(utf16.getAddress());
    for (size_t i = 0; i + 1 < capacity && unit[i] != 0; ++i)
        into[i] = static_cast<char16>(unit[i]);
}

// JUCE's component with the controller class id of the identity record. It
// answers for every interface JUCE's component has, so hosts only ever hold
// this object; interfaces it does not know go to JUCE's component.
class BrandedComponent final : public Vst::IComponent,
                               public Vst::IAudioProcessor,
                               public Vst::IUnitInfo,
                               public Vst::IConnectionPoint,
                               public Vst::IProcessContextRequirements
{
public:
    BrandedComponent(FUnknown* juceComponent, const ClassId& controllerId)
        : component(juceComponent), processor(juceComponent), units(juceComponent), connection(juceComponent),
          contextRequirements(juceComponent), controllerClassId(controllerId)
    {
    }

    bool isUsable() const { return component != nullptr && processor != nullptr; }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (obj == nullptr)
            return kInvalidArgument;
        *obj = nullptr;
        const auto is = [iid](const FUID& interfaceId) { return FUnknownPrivate::iidEqual(iid, interfaceId); };
        if (is(FUnknown::iid) || is(IPluginBase::iid) || is(Vst::IComponent::iid))
            *obj = static_cast<Vst::IComponent*>(this);
        else if (is(Vst::IAudioProcessor::iid))
            *obj = static_cast<Vst::IAudioProcessor*>(this);
        else if (is(Vst::IUnitInfo::iid) && units != nullptr)
            *obj = static_cast<Vst::IUnitInfo*>(this);
        else if (is(Vst::IConnectionPoint::iid) && connection != nullptr)
            *obj = static_cast<Vst::IConnectionPoint*>(this);
        else if (is(Vst::IProcessContextRequirements::iid) && contextRequirements != nullptr)
            *obj = static_cast<Vst::IProcessContextRequirements*>(this);
        else
            return component->queryInterface(iid, obj);
        addRef();
        return kResultOk;
    }

    uint32 PLUGIN_API addRef() override { return ++references; }

    uint32 PLUGIN_API release() override
    {
        const uint32 left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    // IPluginBase and IComponent
    tresult PLUGIN_API initialize(FUnknown* context) override { return component->initialize(context); }
    tresult PLUGIN_API terminate() override { return component->terminate(); }

    tresult PLUGIN_API getControllerClassId(TUID classId) override
    {
        std::memcpy(classId, controllerClassId.data(), controllerClassId.size());
        return kResultTrue;
    }

    tresult PLUGIN_API setIoMode(Vst::IoMode mode) override { return component->setIoMode(mode); }
    int32 PLUGIN_API getBusCount(Vst::MediaType type, Vst::BusDirection dir) override
    {
        return component->getBusCount(type, dir);
    }
    tresult PLUGIN_API getBusInfo(Vst::MediaType type, Vst::BusDirection dir, int32 index, Vst::BusInfo& bus) override
    {
        return component->getBusInfo(type, dir, index, bus);
    }
    tresult PLUGIN_API getRoutingInfo(Vst::RoutingInfo& inInfo, Vst::RoutingInfo& outInfo) override
    {
        return component->getRoutingInfo(inInfo, outInfo);
    }
    tresult PLUGIN_API activateBus(Vst::MediaType type, Vst::BusDirection dir, int32 index, TBool state) override
    {
        return component->activateBus(type, dir, index, state);
    }
    tresult PLUGIN_API setActive(TBool state) override { return component->setActive(state); }
    tresult PLUGIN_API setState(IBStream* state) override { return component->setState(state); }
    tresult PLUGIN_API getState(IBStream* state) override { return component->getState(state); }

    // IAudioProcessor
    tresult PLUGIN_API setBusArrangements(Vst::SpeakerArrangement* inputs, int32 numIns,
                                          Vst::SpeakerArrangement* outputs, int32 numOuts) override
    {
        return processor->setBusArrangements(inputs, numIns, outputs, numOuts);
    }
    tresult PLUGIN_API getBusArrangement(Vst::BusDirection dir, int32 index, Vst::SpeakerArrangement& arr) override
    {
        return processor->getBusArrangement(dir, index, arr);
    }
    tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override
    {
        return processor->canProcessSampleSize(symbolicSampleSize);
    }
    uint32 PLUGIN_API getLatencySamples() override { return processor->getLatencySamples(); }
    tresult PLUGIN_API setupProcessing(Vst::ProcessSetup& setup) override { return processor->setupProcessing(setup); }
    tresult PLUGIN_API setProcessing(TBool state) override { return processor->setProcessing(state); }
    tresult PLUGIN_API process(Vst::ProcessData& data) override { return processor->process(data); }
    uint32 PLUGIN_API getTailSamples() override { return processor->getTailSamples(); }

    // IUnitInfo
    int32 PLUGIN_API getUnitCount() override { return units->getUnitCount(); }
    tresult PLUGIN_API getUnitInfo(int32 unitIndex, Vst::UnitInfo& info) override
    {
        return units->getUnitInfo(unitIndex, info);
    }
    int32 PLUGIN_API getProgramListCount() override { return units->getProgramListCount(); }
    tresult PLUGIN_API getProgramListInfo(int32 listIndex, Vst::ProgramListInfo& info) override
    {
        return units->getProgramListInfo(listIndex, info);
    }
    tresult PLUGIN_API getProgramName(Vst::ProgramListID listId, int32 programIndex, Vst::String128 name) override
    {
        return units->getProgramName(listId, programIndex, name);
    }
    tresult PLUGIN_API getProgramInfo(Vst::ProgramListID listId, int32 programIndex, Vst::CString attributeId,
                                      Vst::String128 attributeValue) override
    {
        return units->getProgramInfo(listId, programIndex, attributeId, attributeValue);
    }
    tresult PLUGIN_API hasProgramPitchNames(Vst::ProgramListID listId, int32 programIndex) override
    {
        return units->hasProgramPitchNames(listId, programIndex);
    }
    tresult PLUGIN_API getProgramPitchName(Vst::ProgramListID listId, int32 programIndex, int16 midiPitch,
                                           Vst::String128 name) override
    {
        return units->getProgramPitchName(listId, programIndex, midiPitch, name);
    }
    Vst::UnitID PLUGIN_API getSelectedUnit() override { return units->getSelectedUnit(); }
    tresult PLUGIN_API selectUnit(Vst::UnitID unitId) override { return units->selectUnit(unitId); }
    tresult PLUGIN_API getUnitByBus(Vst::MediaType type, Vst::BusDirection dir, int32 busIndex, int32 channel,
                                    Vst::UnitID& unitId) override
    {
        return units->getUnitByBus(type, dir, busIndex, channel, unitId);
    }
    tresult PLUGIN_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) override
    {
        return units->setUnitProgramData(listOrUnitId, programIndex, data);
    }

    // IConnectionPoint
    tresult PLUGIN_API connect(Vst::IConnectionPoint* other) override { return connection->connect(other); }
    tresult PLUGIN_API disconnect(Vst::IConnectionPoint* other) override { return connection->disconnect(other); }
    tresult PLUGIN_API notify(Vst::IMessage* message) override { return connection->notify(message); }

    // IProcessContextRequirements
    uint32 PLUGIN_API getProcessContextRequirements() override
    {
        return contextRequirements->getProcessContextRequirements();
    }

private:
    ~BrandedComponent() = default;

    std::atomic<uint32> references {1};
    FUnknownPtr<Vst::IComponent> component;
    FUnknownPtr<Vst::IAudioProcessor> processor;
    FUnknownPtr<Vst::IUnitInfo> units;
    FUnknownPtr<Vst::IConnectionPoint> connection;
    FUnknownPtr<Vst::IProcessContextRequirements> contextRequirements;
    const ClassId controllerClassId;
};

// The factory hosts see. It makes JUCE's component and controller under the
// class ids of the identity record.
class BrandedFactory final : public IPluginFactory3
{
public:
    explicit BrandedFactory(IPluginFactory* juceFactoryIn)
        : juceFactory(juceFactoryIn, false), juceFactory3(juceFactoryIn), identity(pluginIdentity())
    {
        PClassInfo info {};
        for (int32 i = 0; i < juceFactory->countClasses(); ++i)
            if (juceFactory->getClassInfo(i, &info) == kResultOk)
            {
                if (std::strcmp(info.category, kVstAudioEffectClass) == 0)
                    std::memcpy(juceComponentId, info.cid, sizeof(TUID));
                else if (std::strcmp(info.category, kVstComponentControllerClass) == 0)
                    std::memcpy(juceControllerId, info.cid, sizeof(TUID));
            }
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (obj == nullptr)
            return kInvalidArgument;
        const auto is = [iid](const FUID& interfaceId) { return FUnknownPrivate::iidEqual(iid, interfaceId); };
        if (is(FUnknown::iid) || is(IPluginFactory::iid) || is(IPluginFactory2::iid) || is(IPluginFactory3::iid))
        {
            *obj = static_cast<IPluginFactory3*>(this);
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }

    uint32 PLUGIN_API addRef() override { return ++references; }
    uint32 PLUGIN_API release() override;

    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override
    {
        if (info == nullptr)
            return kInvalidArgument;
        copyText(identity.vendorName, info->vendor, PFactoryInfo::kNameSize);
        copyText("", info->url, PFactoryInfo::kURLSize);
        copyText("", info->email, PFactoryInfo::kEmailSize);
        info->flags = PFactoryInfo::kUnicode;
        return kResultOk;
    }

    int32 PLUGIN_API countClasses() override { return 2; }

    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override
    {
        if (info == nullptr || !isClassIndex(index))
            return kInvalidArgument;
        std::memcpy(info->cid, idOf(index).data(), sizeof(TUID));
        info->cardinality = PClassInfo::kManyInstances;
        copyText(categoryOf(index), info->category, PClassInfo::kCategorySize);
        copyText(identity.productName, info->name, PClassInfo::kNameSize);
        return kResultOk;
    }

    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override
    {
        if (info == nullptr || !isClassIndex(index))
            return kInvalidArgument;
        std::memcpy(info->cid, idOf(index).data(), sizeof(TUID));
        info->cardinality = PClassInfo::kManyInstances;
        copyText(categoryOf(index), info->category, PClassInfo::kCategorySize);
        copyText(identity.productName, info->name, PClassInfo::kNameSize);
        info->classFlags = classFlags;
        copyText(classSubCategories, info->subCategories, PClassInfo2::kSubCategoriesSize);
        copyText(identity.vendorName, info->vendor, PClassInfo2::kVendorSize);
        copyText(classVersion, info->version, PClassInfo2::kVersionSize);
        copyText(classSdkVersion, info->sdkVersion, PClassInfo2::kVersionSize);
        return kResultOk;
    }

    tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override
    {
        if (info == nullptr || !isClassIndex(index))
            return kInvalidArgument;
        std::memcpy(info->cid, idOf(index).data(), sizeof(TUID));
        info->cardinality = PClassInfo::kManyInstances;
        copyText(categoryOf(index), info->category, PClassInfo::kCategorySize);
        copyText(identity.productName, info->name, PClassInfo::kNameSize);
        info->classFlags = classFlags;
        copyText(classSubCategories, info->subCategories, PClassInfoW::kSubCategoriesSize);
        copyText(identity.vendorName, info->vendor, PClassInfoW::kVendorSize);
        copyText(juce::String(classVersion), info->version, PClassInfoW::kVersionSize);
        copyText(juce::String(classSdkVersion), info->sdkVersion, PClassInfoW::kVersionSize);
        return kResultOk;
    }

    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override
    {
        if (cid == nullptr || iid == nullptr || obj == nullptr)
            return kInvalidArgument;
        *obj = nullptr;
        if (sameId(cid, identity.vst3ControllerClassId))
            return juceFactory->createInstance(reinterpret_cast<FIDString>(juceControllerId), iid, obj);
        if (!sameId(cid, identity.vst3ComponentClassId))
            return kNoInterface;

        FUnknown* juceComponent = nullptr;
        if (juceFactory->createInstance(reinterpret_cast<FIDString>(juceComponentId), FUnknown::iid,
                                        reinterpret_cast<void**>(&juceComponent)) != kResultOk
            || juceComponent == nullptr)
            return kNoInterface;
        auto* component = new BrandedComponent(juceComponent, identity.vst3ControllerClassId);
        juceComponent->release();
        TUID interfaceId;
        std::memcpy(interfaceId, iid, sizeof interfaceId);
        const tresult result = component->isUsable() ? component->queryInterface(interfaceId, obj) : kNoInterface;
        component->release();
        return result;
    }

    tresult PLUGIN_API setHostContext(FUnknown* context) override
    {
        return juceFactory3 != nullptr ? juceFactory3->setHostContext(context) : kNotImplemented;
    }

private:
    ~BrandedFactory() = default;

    static bool isClassIndex(int32 index) { return index == 0 || index == 1; }
    static const char* categoryOf(int32 index) { return index == 0 ? kVstAudioEffectClass : kVstComponentControllerClass; }
    const ClassId& idOf(int32 index) const
    {
        return index == 0 ? identity.vst3ComponentClassId : identity.vst3ControllerClassId;
    }

    std::atomic<uint32> references {1};
    IPtr<IPluginFactory> juceFactory;
    FUnknownPtr<IPluginFactory3> juceFactory3;
    const PluginIdentity& identity;
    TUID juceComponentId {};
    TUID juceControllerId {};
};

// One factory per loaded library, as JUCE keeps one of its own.
std::mutex factoryLock;
BrandedFactory* factory = nullptr;

uint32 PLUGIN_API BrandedFactory::release()
{
    const std::lock_guard<std::mutex> lock(factoryLock);
    const uint32 left = --references;
    if (left == 0)
    {
        factory = nullptr;
        delete this;
    }
    return left;
}
} // namespace

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    const std::lock_guard<std::mutex> lock(factoryLock);
    if (factory != nullptr)
    {
        factory->addRef();
        return factory;
    }
    IPluginFactory* juceFactory = juceGetPluginFactory();
    if (juceFactory == nullptr)
        return nullptr;
    factory = new BrandedFactory(juceFactory);
    return factory;
}
