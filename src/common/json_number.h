#pragma once
// JSON numbers read from files and answers of outside origin.
#include <cstdint>
#include <optional>

#include <nlohmann/json_fwd.hpp>

// A number converted the way the library converts it (fractions toward zero, true and false as 1
// and 0), but never narrowed: anything beyond 64 bits saturates, so a clamp or a range check sees
// the size of what was written instead of a wrapped remainder. Other JSON types give nothing.
std::optional<int64_t> WholeNumber(const nlohmann::json& value);
