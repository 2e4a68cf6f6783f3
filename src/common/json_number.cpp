#include "common/json_number.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

std::optional<int64_t> WholeNumber(const nlohmann::json& value) {
    using Json = nlohmann::json;
    constexpr int64_t kLowest = std::numeric_limits<int64_t>::min();
    constexpr int64_t kHighest = std::numeric_limits<int64_t>::max();
    switch (value.type()) {
        case Json::value_t::number_integer:
            return value.get<int64_t>();
        case Json::value_t::number_unsigned: {
            const uint64_t number = value.get<uint64_t>();
            return number > static_cast<uint64_t>(kHighest) ? kHighest : static_cast<int64_t>(number);
        }
        case Json::value_t::number_float: {
            const double number = std::trunc(value.get<double>());
            constexpr double kTwoToThe63 = 9223372036854775808.0;
            if (std::isnan(number)) {
                return std::nullopt;
            }
            if (number >= kTwoToThe63) {
                return kHighest;
            }
            if (number < -kTwoToThe63) {
                return kLowest;
            }
            return static_cast<int64_t>(number);
        }
        case Json::value_t::boolean:
            return value.get<bool>() ? 1 : 0;
        default:
            return std::nullopt;
    }
}

