// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CEchoTestDlg.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/HelpViewer.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CEchoTestDlg.h"

#include <QHeaderView>
#include <QIcon>
#include <algorithm>

namespace velnet::cardcheck {

namespace {

using namespace std::chrono_literals;

constexpr int kComputerBitmap = PictureWindow::Computer;
constexpr int kLeftComputer = 1054;
constexpr int kRightComputer = 1053;
constexpr int kNamePadding = 15;
constexpr auto kPollPeriod = 1000ms;
const QString kAnimationStrip = QStringLiteral(":/cardcheck/images/animation159.png");
constexpr int kAnimationFrames = 24;
constexpr std::chrono::microseconds kFrameInterval{66667};
constexpr int kShortLoopLast = 11;

QString text(int id)
{
    return QString::fromStdString(StringTable::load(id));
}

} // namespace

CEchoTestDlg::CEchoTestDlg(int role, SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CEchoTestDlg>()), context_(context),
      role_(role == Responder ? Responder : Sender)
{
    ui_->setupUi(this);
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
    help_ = new ContextHelp(this, helpTable(), context_.help);
    help_->setRowHelp(
        ui_->statisticsList,
        [](int row) -> std::uint32_t {
            AdapterLibrary* library = theAdapterLibrary();
            return library ? static_cast<std::uint32_t>(library->StatisticsHelp(row)) : 0;
        },
        ContextHelp::RowChoice::SelectedAfterKeyboard);
    connect(ui_->start, &QPushButton::clicked, this, &CEchoTestDlg::OnStart);
    connect(ui_->stop, &QPushButton::clicked, this, &CEchoTestDlg::OnStop);
    connect(ui_->close, &QPushButton::clicked, this, &CEchoTestDlg::OnClose);
    connect(ui_->help, &QPushButton::clicked, this, &CEchoTestDlg::OnHelp);
    connect(&timer_, &QTimer::timeout, this, &CEchoTestDlg::OnTimer);

    if (role_ == Responder)
        ui_->continuous->setChecked(true);
    switchButtons(false);
    if (AdapterLibrary* library = theAdapterLibrary())
        library->ClearStats();
    for (int control : {kLeftComputer, kRightComputer}) {
        if (PictureWindow* picture = PictureWindow::fromId(kComputerBitmap))
            picture->attach(this, control);
    }
    QIcon warning;
    for (int size : {16, 32, 48, 64})
        warning.addFile(QStringLiteral(":/cardcheck/images/warning143-icon-%1.png").arg(size));
    ui_->warningIcon->setPixmap(warning.pixmap(32, 32));

    fillStatistics();
    if (role_ == Responder) {
        ui_->rightLabel->setText(text(ids::ThisComputer));
        setWindowTitle(text(ids::EchoTestResponder));
    } else {
        ui_->leftLabel->setText(text(ids::ThisComputer));
    }
    ui_->animation->open(kAnimationStrip, kAnimationFrames, kFrameInterval);
    timer_.start(kPollPeriod);
}

CEchoTestDlg::~CEchoTestDlg()
{
    timer_.stop();
    if (worker_ && worker_->isRunning()) {
        if (AdapterLibrary* library = theAdapterLibrary())
            library->EchoTest(VELNET_ECHO_STOP, 0);
        worker_->wait();
    }
}

std::vector<ContextHelp::Entry> CEchoTestDlg::helpTable()
{
    return {{1008, 0x60440}, {1010, 0x60441}, {1023, 0x60442}, {1024, 0x60443}};
}

void CEchoTestDlg::fillStatistics()
{
    QTreeWidget* list = ui_->statisticsList;
    list->setHeaderLabels({text(ids::Statistic), text(ids::Value)});
    int widest = 0;
    if (AdapterLibrary* library = theAdapterLibrary()) {
        const QFontMetrics metrics = list->fontMetrics();
        for (std::int32_t item = 0;; ++item) {
            const std::optional<std::string> name = library->StatisticsName(item);
            if (!name)
                break;
            const std::optional<std::string> value = library->StatisticsValue(item);
            if (!value)
                break;
            const QString nameText = QString::fromStdString(*name);
            widest = std::max(widest, metrics.horizontalAdvance(nameText));
            new QTreeWidgetItem(list, {nameText, QString::fromStdString(*value)});
        }
    }
    // The value column takes whatever the name column leaves of the width.
    list->header()->setStretchLastSection(true);
    list->header()->resizeSection(0, widest + kNamePadding);
}

void CEchoTestDlg::switchButtons(bool running)
{
    ui_->stop->setEnabled(running);
    ui_->start->setEnabled(!running);
    ui_->close->setEnabled(!running);
    // The responder always runs until stopped.
    ui_->continuous->setEnabled(role_ == Sender && !running);
    (running ? ui_->stop : ui_->start)->setFocus();
}

void CEchoTestDlg::OnStart()
{
    AdapterLibrary* library = theAdapterLibrary();
    if (!library)
        return;
    switchButtons(true);
    running_ = true;
    const auto role = static_cast<std::uint8_t>(role_ == Responder ? 1 : 0);
    const std::int32_t continuous = ui_->continuous->isChecked() ? 1 : 0;
    worker_ = startWorker<EchoDoneEvent>(this, QThread::LowPriority, [library, role, continuous] {
        return EchoOutcome{role, library->EchoTest(role, continuous)};
    });
}

void CEchoTestDlg::OnStop()
{
    ui_->stop->setEnabled(false);
    if (AdapterLibrary* library = theAdapterLibrary())
        showLibraryMessage(library->EchoTest(VELNET_ECHO_STOP, 0));
    // The worker's own EchoTest returns on the stop; until its report has
    // come in, Close and Start stay disabled so the dialog cannot go away
    // or start a second test under a running one.
    if (!running_)
        switchButtons(false);
}

bool CEchoTestDlg::event(QEvent* event)
{
    const auto* done = EchoDoneEvent::from(event);
    if (!done)
        return QDialog::event(event);
    OnEchoDone(done->result.result);
    return true;
}

void CEchoTestDlg::OnEchoDone(std::int32_t result)
{
    running_ = false;
    showLibraryMessage(result);
    switchButtons(false);
}

void CEchoTestDlg::showLibraryMessage(std::int32_t id)
{
    if (id == 0)
        return;
    AdapterLibrary* library = theAdapterLibrary();
    if (!library)
        return;
    if (const std::optional<std::string> message = library->RIDtoCstring(id))
        appMessageBox(*message);
}

void CEchoTestDlg::OnClose()
{
    if (AdapterLibrary* library = theAdapterLibrary())
        library->EchoTest(VELNET_ECHO_STOP, 0);
    timer_.stop();
    accept();
}

void CEchoTestDlg::reject()
{
    if (ui_->close->isEnabled()) {
        QDialog::reject();
        return;
    }
    appMessageBox(StringTable::load(ids::ErrorStopEchoTests));
}

void CEchoTestDlg::OnHelp()
{
    context_.help.showTopic(help_->helpFile(), kHelpTopic);
}

void CEchoTestDlg::OnTimer()
{
    AdapterLibrary* library = theAdapterLibrary();
    if (!library)
        return;
    QTreeWidget* list = ui_->statisticsList;
    for (std::int32_t item = 0;; ++item) {
        const std::optional<std::string> value = library->StatisticsValue(item);
        if (!value)
            break;
        if (QTreeWidgetItem* row = list->topLevelItem(item))
            row->setText(1, QString::fromStdString(*value));
    }

    const int state = library->EchoState();
    const std::string received =
        EchoMonitor::needsCount(state) ? library->NumberEchosReceived() : std::string();
    const EchoMonitor::Step step = monitor_.tick(state, received);
    if (step.label == EchoMonitor::Label::Right)
        ui_->rightLabel->setText(QString::fromStdString(library->LastEchoResponder()));
    else if (step.label == EchoMonitor::Label::Left)
        ui_->leftLabel->setText(QString::fromStdString(library->LastEchoSender()));
    if (step.animation)
        applyAnimation(*step.animation);
}

void CEchoTestDlg::applyAnimation(EchoMonitor::Mode mode)
{
    switch (mode) {
    case EchoMonitor::Mode::Still:
        ui_->animation->stop();
        ui_->animation->seek(0);
        break;
    case EchoMonitor::Mode::ShortLoop:
        ui_->animation->play(0, kShortLoopLast);
        break;
    case EchoMonitor::Mode::FullLoop:
        ui_->animation->play(0, kAnimationFrames - 1);
        break;
    }
}

} // namespace velnet::cardcheck
