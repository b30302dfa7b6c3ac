#pragma once
// The named fields of the three settings blocks, for setting them from a
// description by name and for listing them: where each lies in its block, its
// type, the values a description may give it and, for a setting that names a
// choice, the names of its choices.

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
    // Accepted range of integer fields (inclusive).
    int64_t minimum;
    int64_t maximum;
    // Accepted range of float fields (inclusive).
    double lowest;
    double highest;
    // For a choice: the name of each value from 0 on, as the player shows it.
    std::span<const char* const> choices;
};

std::span<const SettingsField> instrumentSettingsFields();
std::span<const SettingsField> groupSettingsFields();
std::span<const SettingsField> zoneSettingsFields();

// The field called `name` in `fields`, or null.
const SettingsField* findSettingsField(std::span<const SettingsField> fields, const std::string& name);

// Stores `value` into the field of `block`. Integer fields take whole numbers
// within their range or true/false; a choice also takes the name of a choice
// (letter case, spaces, hyphens and underscores do not matter: "round robin",
// "Round-Robin", "roundRobin"); a uint32 field also takes a hexadecimal
// string ("0xAARRGGBB" or "#AARRGGBB"); float fields take numbers within
// their range. False with a message naming what was expected otherwise.
bool setSettingsField(void* block, const SettingsField& field, const JsonValue& value, std::string& error);

// The field's value in `block` as a listing shows it: a choice by its name,
// a colour in hexadecimal, numbers in their shortest exact form.
std::string settingsFieldText(const void* block, const SettingsField& field);

// Whether the field holds the same bytes in both blocks.
bool settingsFieldEqual(const void* a, const void* b, const SettingsField& field);
