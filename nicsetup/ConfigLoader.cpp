#include "ConfigLoader.h"

#include "Tables.h"

namespace velnet::nicsetup {

ConfigLoader::ConfigLoader(registry::Registry& registry) : registry_(registry) {}

LoadResult ConfigLoader::load()
{
    clearTables();
    return LoadResult::Loaded;
}

} // namespace velnet::nicsetup
