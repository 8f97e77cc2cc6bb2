#include "ShellObject.h"

namespace kxshell {

ShellObject::ShellObject(RegistryPtr registry, const char *kind)
    : registry_(std::move(registry)), kind_(kind), serial_(registry_->Register(this)) {}

ShellObject::~ShellObject() {
    registry_->Unregister(this);
}

}  // namespace kxshell
