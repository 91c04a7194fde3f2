#include "cli/args.h"

namespace tavrin::cli {

std::optional<std::string> Args::get(const std::string& option) const {
  const auto it = values.find(option);
  if (it == values.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> Args::all(const std::string& option) const {
  const auto it = values.find(option);
  return it == values.end() ? std::vector<std::string>{} : it->second;
}

bool parse_args(int argc, char** argv, int first, const ArgSpec& accepted, Args* out,
                std::string* error) {
  bool onlyPositional = false;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (onlyPositional || arg.size() < 2 || arg.rfind("--", 0) != 0) {
      out->positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPositional = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (accepted.flags.count(arg)) {
      if (hasValue) {
        *error = "option " + arg + " takes no value";
        return false;
      }
      out->flags.insert(arg);
      continue;
    }
    const bool single = accepted.options.count(arg) != 0;
    const bool repeat = accepted.repeatable.count(arg) != 0;
    if (!single && !repeat) {
      *error = "unknown option " + arg;
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    auto& list = out->values[arg];
    if (single && !list.empty()) {
      *error = "option " + arg + " given twice";
      return false;
    }
    list.push_back(value);
  }
  return true;
}

}  // namespace tavrin::cli
