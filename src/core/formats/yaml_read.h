#pragma once

#include "core/result.h"

#include <string>
#include <string_view>
#include <vector>
#include <yaml-cpp/yaml.h>

namespace velmora {

// What the YAML readers share (the map description, the frame file): the
// library parses, these say in one line what is wrong, naming the key and
// its line, and read numbers whatever the locale.

// "line N: " for where the node stands in its file.
std::string YamlAt(const YAML::Node& node);

// The document's top level as keys and values. An empty document gives an
// empty map; anything else that is not one, text the library cannot parse
// or control bytes fail with the line, and more than `maxBytes` fails
// whole: the library's node tree takes many times the file's size.
inline constexpr std::size_t kYamlDescriptionBytes = 1 << 20; // a description of a few lines
Result<YAML::Node> LoadYamlMap(std::string_view text, std::size_t maxBytes = kYamlDescriptionBytes);

// The first key that stands twice in the map, as a failure; the library
// would quietly take the first.
Status KeysOnce(const YAML::Node& map);

// The value of `key` as a finite decimal number. yaml-cpp converts through
// a stream in the global locale (and reads ".inf"), so the scalar's text
// goes through our one number reader instead.
Result<double> YamlNumber(const YAML::Node& value, std::string_view key);

// The value of `key` as a list of exactly `count` such numbers; otherwise
// the failure is `shape` ("origin must be [x, y, 0.0]") at the value's line,
// or the number's own.
Result<std::vector<double>> YamlNumbers(const YAML::Node& value, std::size_t count, std::string_view key,
                                        std::string_view shape);

// The value of `key` as text: a scalar, quoted or not; null (nothing
// written) gives "".
Result<std::string> YamlString(const YAML::Node& value, std::string_view key);

} // namespace velmora
