#include "reader/process_state.h"

namespace tarnwick::reader {

std::string working_folder;
bool archive_valid = false;
variable_store installer_variables;

}  // namespace tarnwick::reader
