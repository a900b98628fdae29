#include "platform/QtHelpViewer.h"
#include "registry/FileRegistry.h"
#include "sheet/CCardcheckApp.h"
#include "sheet/HelpKeyWatcher.h"
#include "sheet/SheetContext.h"
#include "ui/QtMessagePresenter.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    velnet::ui::QtMessagePresenter presenter;
    velnet::ui::setMessagePresenter(&presenter);
    velnet::platform::QtHelpViewer help;
    velnet::registry::FileRegistry registry(velnet::registry::FileRegistry::defaultPath());
    cardcheck::SheetContext context{registry, help};
    cardcheck::HelpKeyWatcher helpKey;

    cardcheck::CCardcheckApp program(context);
    program.InitInstance(QApplication::arguments());
    velnet::ui::setMessagePresenter(nullptr);
    return 0;
}
