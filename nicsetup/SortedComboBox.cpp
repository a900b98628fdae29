// SPDX-License-Identifier: MIT
#include "nicsetup/SortedComboBox.h"

#include "nicsetup/ComboOrder.h"

namespace velnet::nicsetup {

SortedComboBox::SortedComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
}

std::vector<std::string> SortedComboBox::texts() const
{
    std::vector<std::string> result;
    result.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i)
        result.push_back(itemText(i).toStdString());
    return result;
}

int SortedComboBox::addString(const QString& text, const QVariant& data)
{
    const int at = static_cast<int>(ComboOrder::insertPosition(texts(), text.toStdString()));
    insertItem(at, text, data);
    return at;
}

int SortedComboBox::selectString(const QString& prefix)
{
    const auto found = ComboOrder::findPrefix(texts(), prefix.toStdString());
    const int index = found ? static_cast<int>(*found) : -1;
    setCurrentIndex(index);
    return index;
}

} // namespace velnet::nicsetup
