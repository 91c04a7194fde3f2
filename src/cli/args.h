// Command-line arguments of a subcommand: positional arguments, flags and options with values.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavrin::cli {

struct ArgSpec {
  std::set<std::string> flags;        // e.g. "--json"
  std::set<std::string> options;      // take one value, e.g. "--log"
  std::set<std::string> repeatable;   // options that may be given several times, e.g. "--track"
};

struct Args {
  std::vector<std::string> positional;
  std::set<std::string> flags;
  std::map<std::string, std::vector<std::string>> values;

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> get(const std::string& option) const;
  std::vector<std::string> all(const std::string& option) const;
};

// Parses argv[first..]; on a usage error returns false with `error` set. "--opt=value" and
// "--opt value" are both accepted.
bool parse_args(int argc, char** argv, int first, const ArgSpec& accepted, Args* out,
                std::string* error);

}  // namespace tavrin::cli
