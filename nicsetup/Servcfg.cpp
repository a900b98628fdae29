// SPDX-License-Identifier: MIT
#include "nicsetup/Servcfg.h"

#include "common/platform/HelpViewer.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/Images.h"
#include "nicsetup/ServcfgDlg.h"

#include <QApplication>

namespace velnet::nicsetup {

CServcfgApp theApp;

std::string CServcfgApp::helpFile() const
{
    return helpFile_.empty() ? platform::helpFilePath() : helpFile_;
}

int CServcfgApp::InitInstance()
{
    // The dialogs take the platform's own style; they only need the
    // program's icon.
    QApplication::setWindowIcon(Images::icon());

    if (ConfigLoader(*registry_).load() == LoadResult::ServiceKeyMissing)
        return 1;

    CServcfgDlg dlg;
    dlg.exec();
    return 0;
}

void CServcfgApp::WinHelp(std::uint32_t context)
{
    if (helpViewer_)
        helpViewer_->showTopic(helpFile(), context);
}

} // namespace velnet::nicsetup
