// SPDX-License-Identifier: MIT
// nicport.dll: the machine's Ethernet NICs, all of the one generic type
// whose card-type library is ETHCFG.

#include "cardcheck/adapter/AdapterContract.h"
#include "linux/nic/InterfaceDiscovery.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr char kCardType[] = "ETH";

class Nicport
{
public:
    uint32_t discover()
    {
        std::lock_guard lock(mutex_);
        interfaces_ = velnet::linuxnic::discoverInterfaces(velnet::linuxnic::Sysfs(),
                                                           velnet::linuxnic::namedInEnvironment());
        return static_cast<uint32_t>(interfaces_.size());
    }
    int32_t cardType(int32_t nic, char* type)
    {
        std::lock_guard lock(mutex_);
        if (!type || nic < 0 || static_cast<std::size_t>(nic) >= interfaces_.size())
            return 0;
        std::memcpy(type, kCardType, sizeof kCardType);
        return 1;
    }

private:
    std::mutex mutex_;
    std::vector<velnet::linuxnic::Interface> interfaces_;
};

Nicport& nicport()
{
    static Nicport instance;
    return instance;
}

} // namespace

extern "C" {

VELNET_EXPORT int32_t VELNET_CALL NicportInit(void)
{
    return 0;
}

VELNET_EXPORT uint32_t VELNET_CALL DiscoverCards(void)
{
    return nicport().discover();
}

VELNET_EXPORT int32_t VELNET_CALL CardType(int32_t nic, char* type)
{
    return nicport().cardType(nic, type);
}

VELNET_EXPORT int32_t VELNET_CALL NicportExit(void)
{
    return 0;
}

} // extern "C"
