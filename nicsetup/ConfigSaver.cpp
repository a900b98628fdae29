#include "ConfigSaver.h"

namespace velnet::nicsetup {

ConfigSaver::ConfigSaver(registry::Registry& registry) : registry_(registry) {}

bool ConfigSaver::save()
{
    registry::WriteGroup group(registry_);
    return group.commit() == registry::Status::Success;
}

} // namespace velnet::nicsetup
