#pragma once
// Inputs files: one field per line as `option-name = text`, `#` starts a comment, blank
// lines are ignored. The text is handed to the run as the window field would hold it.
#include <string>
#include <string_view>

#include "fields.h"

namespace kelvado::cli {

// Parses the content of an inputs file. `origin` names it in error messages.
// Throws UsageError with the line number for a malformed line, an unknown name or a field
// given twice.
FieldOverrides ParseInputsText(std::string_view content, std::string_view origin);

// Reads and parses the file; a file that cannot be read is a UsageError too.
FieldOverrides ReadInputsFile(const std::string& path);

}  // namespace kelvado::cli
