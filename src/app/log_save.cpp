#include "app/log_save.h"

#include "platform/paths.h"

namespace tavrin::app {

std::string with_txt_extension(const std::string& chosenPath) {
  const std::string name = platform::file_name(chosenPath);
  // A name that is only a leading dot ("." files) has no extension either.
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) return chosenPath;
  if (dot != std::string::npos && dot + 1 == name.size()) return chosenPath + "txt";
  return chosenPath + ".txt";
}

}  // namespace tavrin::app
