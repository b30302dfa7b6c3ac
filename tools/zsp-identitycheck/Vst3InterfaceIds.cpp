// The interface ids of the VST 3 SDK, defined once for this host.
#include <pluginterfaces/base/coreiids.cpp>
#include <public.sdk/source/vst/vstinitiids.cpp>
