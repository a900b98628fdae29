#include "RegCommand.h"

namespace velnet::regtool {

int runRegCommand(const std::vector<std::string>&, const std::string&, std::ostream&,
                  std::ostream& err)
{
    err << "ERROR: not built yet\n";
    return 1;
}

} // namespace velnet::regtool
