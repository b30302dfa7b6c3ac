#pragma once
// The named fields of the three settings blocks, for setting them from a
// description by name: where each lies in its block, its type and the values
// a description may give it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class JsonValue;

enum class FieldType { int32, uint32, uint64, float32 };

struct SettingsField
{
    const char* name;
    size_t offset;
    FieldType type;
    // Accepted range for integer fields (inclusive); ignored for floats.
    int64_t minimum;
    int64_t maximum;
};

std::span<const SettingsField> instrumentSettingsFields();
std::span<const SettingsField> groupSettingsFields();
std::span<const SettingsField> zoneSettingsFields();

// The field called `name` in `fields`, or null.
const SettingsField* findSettingsField(std::span<const SettingsField> fields, const std::string& name);

// Stores `value` into the field of `block`. Integer fields take whole numbers
// within their range or true/false; a uint32 field also takes a hexadecimal
// string ("0xAARRGGBB" or "#AARRGGBB"); float fields take finite numbers.
// False with a message naming what was expected otherwise.
bool setSettingsField(void* block, const SettingsField& field, const JsonValue& value, std::string& error);
