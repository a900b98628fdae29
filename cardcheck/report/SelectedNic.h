// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/ReportWriter.h"

namespace velnet::cardcheck {

// What the report says about the NIC selected on the General page: its name
// and the detail items its card-type library reports. Without a loaded
// library the product is unnamed and there are no items.
void describeSelectedNic(ReportWriter::Sources& sources);

} // namespace velnet::cardcheck
