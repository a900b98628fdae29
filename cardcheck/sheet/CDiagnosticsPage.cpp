// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CDiagnosticsPage.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CEchoTestDlg.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ProgramState.h"
#include "ui_CDiagnosticsPage.h"

#include <QApplication>
#include <QHeaderView>
#include <algorithm>

namespace velnet::cardcheck {

namespace {

constexpr int kEchoPictureBitmap = PictureWindow::EchoComputers;
constexpr int kEchoPictureControl = 1052;
constexpr int kStatusPadding = 15;

QString text(int id)
{
    return QString::fromStdString(StringTable::load(id));
}

} // namespace

CDiagnosticsPage::CDiagnosticsPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::CDiagnosticsPage>()), context_(context)
{
    ui_->setupUi(this);
    help_ = new ContextHelp(this, helpTable(), context_.help);
    help_->setRowHelp(
        ui_->testList,
        [](int row) -> std::uint32_t {
            AdapterLibrary* library = theAdapterLibrary();
            return library ? static_cast<std::uint32_t>(library->TestHelp(row)) : 0;
        },
        ContextHelp::RowChoice::SelectedAfterKeyboard);
    connect(ui_->start, &QPushButton::clicked, this, &CDiagnosticsPage::OnStart);
    connect(ui_->stop, &QPushButton::clicked, this, &CDiagnosticsPage::OnStop);
    connect(ui_->send, &QPushButton::clicked, this, &CDiagnosticsPage::OnSend);
    connect(ui_->respond, &QPushButton::clicked, this, &CDiagnosticsPage::OnRespond);
}

CDiagnosticsPage::~CDiagnosticsPage()
{
    waitForTest();
}

void CDiagnosticsPage::waitForTest()
{
    waitForWorkers(this);
}

std::vector<ContextHelp::Entry> CDiagnosticsPage::helpTable()
{
    return {{1008, 0x60430}, {1010, 0x60431}, {1049, 0x60432}, {1051, 0x60433}, {1050, 0x60540}};
}

void CDiagnosticsPage::OnInitDialog()
{
    sheetState().helpFromKeyboard = 0;
    if (PictureWindow* picture = PictureWindow::fromId(kEchoPictureBitmap))
        picture->attach(this, kEchoPictureControl);

    const QFontMetrics metrics = ui_->testList->fontMetrics();
    int widest = 0;
    for (int id : {ids::InProgress, ids::Passed, ids::Failed})
        widest = std::max(widest, metrics.horizontalAdvance(text(id)));
    ui_->testList->setHeaderLabels({text(ids::Name), text(ids::Status)});
    // The name column takes whatever the status column leaves of the width.
    QHeaderView* header = ui_->testList->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(1, widest + kStatusPadding);
    switchButtons(false);
}

void CDiagnosticsPage::OnSetActive()
{
    SheetState& state = sheetState();
    state.helpFromKeyboard = 0;
    if (!state.testRefresh(SheetState::Diagnostics))
        return;
    ui_->testList->clear();
    AdapterLibrary* library = theAdapterLibrary();
    if (!library)
        return;
    for (std::int32_t test = 0;; ++test) {
        const std::optional<std::string> name = library->TestName(test);
        if (!name)
            break;
        new QTreeWidgetItem(ui_->testList, {QString::fromStdString(*name), QString()});
    }
}

bool CDiagnosticsPage::OnKillActive()
{
    return allowedDuringRun();
}

bool CDiagnosticsPage::OnQueryCancel()
{
    return allowedDuringRun();
}

bool CDiagnosticsPage::allowedDuringRun()
{
    if (ui_->start->isEnabled())
        return true;
    appMessageBox(StringTable::load(ids::ErrorTestsRunning));
    return false;
}

void CDiagnosticsPage::switchButtons(bool running)
{
    ui_->stop->setEnabled(running);
    ui_->start->setEnabled(!running);
    ui_->send->setEnabled(!running);
    ui_->respond->setEnabled(!running);
    (running ? ui_->stop : ui_->start)->setFocus();
}

void CDiagnosticsPage::OnStart()
{
    switchButtons(true);
    int count = 0;
    if (AdapterLibrary* library = theAdapterLibrary()) {
        while (library->TestName(count)) {
            if (QTreeWidgetItem* item = ui_->testList->topLevelItem(count))
                item->setText(1, QString());
            ++count;
        }
    }
    // A range of 0 to 0 would turn the bar into a busy indicator.
    ui_->progress->setRange(0, std::max(count, 1));
    follow(run_.start(count));
}

void CDiagnosticsPage::follow(SelfTestRun::Next next)
{
    while (next.action == SelfTestRun::Action::AskFailure)
        next = run_.failureAnswered(askFailure(next.result));
    if (next.action == SelfTestRun::Action::StartTest) {
        startTest(next.test);
        return;
    }
    switchButtons(false);
    ui_->progress->setValue(0);
}

void CDiagnosticsPage::startTest(int test)
{
    setStatus(test, text(ids::InProgress));
    ui_->progress->setValue(run_.progress());
    AdapterLibrary* library = theAdapterLibrary();
    startWorker<TestDoneEvent>(this, QThread::NormalPriority, [library, test] {
        return TestOutcome{test, library ? library->RunTest(test) : AdapterLibrary::kMissingEntry};
    });
}

bool CDiagnosticsPage::event(QEvent* event)
{
    const auto* done = TestDoneEvent::from(event);
    if (!done)
        return PropertyPage::event(event);
    OnTestDone(done->result.test, done->result.result);
    return true;
}

void CDiagnosticsPage::OnTestDone(std::int32_t test, std::int32_t result)
{
    setStatus(test, text(result == 0 ? ids::Passed : ids::Failed));
    follow(run_.testFinished(test, result));
}

velnet::ui::Answer CDiagnosticsPage::askFailure(std::int32_t result)
{
    AdapterLibrary* library = theAdapterLibrary();
    const std::optional<std::string> failure =
        library ? library->RIDtoCstring(result) : std::nullopt;
    if (!failure)
        return velnet::ui::Answer::Abort;
    return appMessageBox(*failure, velnet::ui::Buttons::AbortRetryIgnore);
}

void CDiagnosticsPage::OnStop()
{
    ui_->start->setFocus();
    ui_->stop->setEnabled(false);
    run_.requestStop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The test under way always completes: wait for its report, handling
    // everything else that comes meanwhile. The report's handler ends the run.
    while (run_.stopRequested())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::restoreOverrideCursor();
}

void CDiagnosticsPage::setStatus(int row, const QString& status)
{
    if (QTreeWidgetItem* item = ui_->testList->topLevelItem(row)) {
        item->setText(1, status);
        ui_->testList->scrollToItem(item);
    }
}

void CDiagnosticsPage::OnSend()
{
    runEchoTest(CEchoTestDlg::Sender);
}

void CDiagnosticsPage::OnRespond()
{
    runEchoTest(CEchoTestDlg::Responder);
}

void CDiagnosticsPage::runEchoTest(int role)
{
    CEchoTestDlg dialog(role, context_, this);
    dialog.exec();
}

} // namespace velnet::cardcheck
