// SPDX-License-Identifier: MIT
#include "cardcheck/report/SelectedNic.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/ui/ProgramState.h"

namespace velnet::cardcheck {

void describeSelectedNic(ReportWriter::Sources& sources)
{
    AdapterLibrary* library = theAdapterLibrary();
    if (!library) {
        sources.productName.clear();
        sources.detail = nullptr;
        return;
    }
    sources.productName = library->cardName(library->selectedIndex()).value_or(std::string());
    sources.detail = [library](int item) -> std::optional<std::pair<std::string, std::string>> {
        auto name = library->CardDetailsName(item);
        if (!name)
            return std::nullopt;
        auto value = library->CardDetailsValue(item);
        if (!value)
            return std::nullopt;
        return std::pair{std::move(*name), std::move(*value)};
    };
}

} // namespace velnet::cardcheck
