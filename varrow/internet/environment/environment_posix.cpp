#include "varrow/internet/environment/environment.h"

namespace varrow::internet::environment {

// BSD sockets need no start-up or shut-down: the guard only marks the scope.
environment::environment() = default;

environment::~environment() = default;

void environment::shut_down() {}

}  // namespace varrow::internet::environment
