// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace velnet::nicsetup {

// A drop-down list that keeps its entries sorted by text (ComboOrder) as they
// are added, and selects entries by the beginning of their text.
class SortedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit SortedComboBox(QWidget* parent = nullptr);

    // Adds the entry in its sorted place; returns that place.
    int addString(const QString& text, const QVariant& data = {});
    // Selects the first entry from the top that begins with `prefix`,
    // ignoring case; with none, nothing is selected. Returns the entry or -1.
    int selectString(const QString& prefix);

    std::vector<std::string> texts() const;
};

} // namespace velnet::nicsetup
