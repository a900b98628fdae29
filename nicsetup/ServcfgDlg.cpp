// SPDX-License-Identifier: MIT
#include "nicsetup/ServcfgDlg.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/MessageBox.h"
#include "nicsetup/AboutDlg.h"
#include "nicsetup/Alert.h"
#include "nicsetup/ConfigSaver.h"
#include "nicsetup/FTOLCONS.h"
#include "nicsetup/Images.h"
#include "nicsetup/ParameterRows.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/RowKeys.h"
#include "nicsetup/Servcfg.h"
#include "nicsetup/Tables.h"
#include "nicsetup/ftolconsx.h"
#include "ui_ServcfgDlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace velnet::nicsetup {

namespace {

const char* const kChangedByAnother =
    "The NIC configuration in the registry has been changed by another program since nicsetup "
    "read it.  If you save now, those changes are lost.\n\nSave anyway?";

const char* const kNoNicConfigured =
    "No NIC is configured. \"vxsrvnt install\" adds this computer's NICs; see Help.";

// The five ACD values of a record, to tell whether an editor changed one.
struct Snapshot
{
    std::string selfCheckLevel;
    std::string errorTolerance;
    std::uint32_t samplingWindow;
    std::uint32_t samplingRatio;
    std::uint32_t alertType;

    explicit Snapshot(const CARD_INFO& c)
        : selfCheckLevel(textOf(c.SelfCheckLevel)), errorTolerance(textOf(c.ErrorTolerance)),
          samplingWindow(c.SamplingWindow), samplingRatio(c.SamplingRatio), alertType(c.AlertType)
    {
    }

    // Whether the field that `row` governs differs from the record's.
    bool differs(const CARD_INFO& c, unsigned row) const
    {
        switch (row) {
        case ParameterRows::SelfCheckLevel:
            return selfCheckLevel != textOf(c.SelfCheckLevel);
        case ParameterRows::SamplingWindow:
            return samplingWindow != c.SamplingWindow;
        case ParameterRows::SamplingRatio:
            return samplingRatio != c.SamplingRatio;
        case ParameterRows::ErrorTolerance:
            return errorTolerance != textOf(c.ErrorTolerance);
        default:
            return alertType != c.AlertType;
        }
    }
};

void runEditor(unsigned adapter, const QString& label, unsigned row, QWidget* owner)
{
    // The editors are owned by the main dialog, as a dialog without a parent
    // is by the program's main window.
    switch (row) {
    case ParameterRows::SelfCheckLevel:
    case ParameterRows::ErrorTolerance: {
        ftolconsx editor(adapter, label, row, owner);
        editor.exec();
        break;
    }
    case ParameterRows::SamplingWindow:
    case ParameterRows::SamplingRatio: {
        FTOLCONS editor(adapter, label, row, owner);
        editor.exec();
        break;
    }
    default: {
        Alert editor(adapter, label, row, owner);
        editor.exec();
        break;
    }
    }
}

} // namespace

CServcfgDlg::CServcfgDlg(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CServcfgDlg>()), icon_(Images::icon())
{
    ui_->setupUi(this);
    ui::DialogTemplate::apply(this);
    connect(ui_->card, &QComboBox::activated, this, &CServcfgDlg::OnSelchangeCard);
    connect(ui_->initExit, &QPushButton::clicked, this, &CServcfgDlg::OnInitExit);
    connect(ui_->cancel, &QPushButton::clicked, this, &CServcfgDlg::reject);
    connect(ui_->help, &QPushButton::clicked, this, &CServcfgDlg::OnHelp);
    ui_->ftols->viewport()->installEventFilter(this);
    RowKeys::install(ui_->ftols, [this] { OnDblclkFtols(); });
    ui_->ftols->header()->setSectionsClickable(false);
    ui_->ftols->header()->setDefaultAlignment(Qt::AlignCenter);

    // The window menu of this platform cannot take the About item, so it is
    // offered in the dialog's context menu: right click, the menu key or Shift+F10.
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        QWidget* at = focusWidget() ? focusWidget() : this;
        showWindowMenu(at->mapToGlobal(QPoint(at->width() / 2, at->height() / 2)));
    });
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, &CServcfgDlg::OnHelp);

    OnInitDialog();
}

CServcfgDlg::~CServcfgDlg() = default;

void CServcfgDlg::OnInitDialog()
{
    loaded_ = StoreFingerprint::take(theApp.registry());
    setWindowIcon(icon_);
    ui_->picture->setPixmap(Images::decoration().pixmap(QSize(64, 64)));

    for (std::uint32_t i = 0; i < MAX_ADAPTERS; ++i) {
        if (!(ETHCard[i].CardFlags & CARD_IN_USE))
            continue;
        ui_->card->addString(QString::fromStdString(ParameterRows::nicLabel(ETHCard[i], i)), i);
    }

    showStatus();

    QTreeWidget* list = ui_->ftols;
    const QFontMetrics metrics = list->fontMetrics();
    list->setColumnWidth(0, metrics.horizontalAdvance("Self Check Level") + 25);
    list->setColumnWidth(1, metrics.horizontalAdvance("Information/Warning/Error") + 43);
    keepOneSize();

    DisplayCard(0);
    if (const auto adapter = currentAdapter())
        DisplayVal(ETHCard[*adapter], list);
}

void CServcfgDlg::keepOneSize()
{
    // The dialog has one size, whatever the store holds: room for the
    // longest NIC label and both columns even when there is no NIC to list.
    QComboBox* card = ui_->card;
    QStyleOptionComboBox option;
    option.initFrom(card);
    const QFontMetrics labelMetrics = card->fontMetrics();
    const QSize label(labelMetrics.horizontalAdvance(
                          "50. Fast Velnet Server NIC [DD-DD-DD-DD-DD-DD]  Slot 99  Bus 99"),
                      labelMetrics.height());
    card->setMinimumWidth(
        card->style()->sizeFromContents(QStyle::CT_ComboBox, &option, label, card).width());
    QTreeWidget* list = ui_->ftols;
    list->setMinimumWidth(list->columnWidth(0) + list->columnWidth(1) + 2 * list->frameWidth());
}

void CServcfgDlg::showStatus()
{
    // Until the driver service has added this computer's NICs the store
    // holds only the service key: an empty list alone would leave the user
    // guessing. The line keeps its height when it has nothing to say.
    QLabel* status = ui_->status;
    status->setText(kNoNicConfigured);
    status->setMinimumHeight(status->sizeHint().height());
    if (ui_->card->count() > 0)
        status->clear();
}

std::optional<unsigned> CServcfgDlg::currentAdapter() const
{
    const QVariant data = ui_->card->currentData();
    if (!data.isValid() || data.toUInt() >= MAX_ADAPTERS)
        return std::nullopt;
    return data.toUInt();
}

void CServcfgDlg::DisplayCard(int position)
{
    ui_->card->setCurrentIndex(position < ui_->card->count() ? position : -1);
}

void CServcfgDlg::DisplayVal(const CARD_INFO& card, QTreeWidget* list)
{
    list->clear();
    for (unsigned row = 0; row < ParameterRows::Count; ++row) {
        auto* item =
            new QTreeWidgetItem(list, {ParameterRows::label(row),
                                       QString::fromStdString(ParameterRows::value(card, row))});
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(1, Qt::AlignCenter);
    }
    QModelIndex top = list->indexAt(QPoint(1, 1));
    if (!top.isValid())
        top = list->model()->index(0, 0);
    list->selectionModel()->select(top,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(top);
}

void CServcfgDlg::OnSelchangeCard()
{
    DisplayCard(ui_->card->currentIndex());
    if (const auto adapter = currentAdapter())
        DisplayVal(ETHCard[*adapter], ui_->ftols);
}

bool CServcfgDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->ftols->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnDblclkFtols();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CServcfgDlg::OnDblclkFtols()
{
    QTreeWidget* list = ui_->ftols;
    const auto adapter = currentAdapter();
    if (!adapter)
        return;
    CARD_INFO& card = ETHCard[*adapter];
    const Snapshot before(card);

    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        list->setFocus();
        return;
    }
    const int row = list->indexOfTopLevelItem(selected.first());
    const QString label = selected.first()->text(0);

    runEditor(*adapter, label, static_cast<unsigned>(row), this);

    if (before.differs(card, static_cast<unsigned>(row)))
        modified_ = 1;

    DisplayVal(card, list);
    if (QTreeWidgetItem* item = list->topLevelItem(row)) {
        list->setCurrentItem(item);
        list->scrollToItem(item);
    }
    list->setFocus();
}

void CServcfgDlg::OnInitExit()
{
    if (!modified_) {
        QDialog::reject();
        return;
    }
    switch (ui::messageBox("Save Changes Before Exiting ?", PROGRAM_NAME, ui::Buttons::YesNoCancel,
                           ui::Icon::Question)) {
    case ui::Answer::Yes:
        OnSave();
        break;
    case ui::Answer::No:
        QDialog::reject();
        break;
    default:
        break;
    }
}

void CServcfgDlg::OnSave()
{
    // A save that could not reach the store has said so; the dialog stays
    // open so that nothing is lost.
    if (!mayOverwriteOtherChanges())
        return;
    if (ConfigSaver(theApp.registry()).save())
        QDialog::accept();
}

bool CServcfgDlg::mayOverwriteOtherChanges()
{
    // The save writes every NIC as this dialog holds it: whatever another
    // program wrote to the configuration since the load would be lost
    // without a word, so the user decides, as in any editor of a shared file.
    // A store that cannot be written now is the save's to report, with its reason.
    if (theApp.registry().checkWritable() != registry::Status::Success ||
        StoreFingerprint::take(theApp.registry()) == loaded_)
        return true;
    return ui::messageBox(kChangedByAnother, PROGRAM_NAME, ui::Buttons::YesNo, ui::Icon::Warning) ==
           ui::Answer::Yes;
}

void CServcfgDlg::OnExit()
{
    QDialog::reject();
}

void CServcfgDlg::OnHelp()
{
    theApp.WinHelp(CServcfgApp::HID_BASE_RESOURCE + IDD);
}

void CServcfgDlg::contextMenuEvent(QContextMenuEvent* event)
{
    showWindowMenu(event->globalPos());
}

void CServcfgDlg::showWindowMenu(QPoint globalPos)
{
    QMenu menu(this);
    menu.setObjectName("windowMenu");
    QAction* about = menu.addAction(IDS_ABOUTBOX);
    about->setData(IDM_ABOUTBOX);
    if (QAction* chosen = menu.exec(globalPos))
        OnSysCommand(chosen->data().toUInt());
}

void CServcfgDlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

} // namespace velnet::nicsetup
