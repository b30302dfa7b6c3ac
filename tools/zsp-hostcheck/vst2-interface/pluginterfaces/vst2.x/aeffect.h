#pragma once
#include "aeffectx.h"
