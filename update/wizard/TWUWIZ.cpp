#include "update/wizard/TWUWIZ.h"

#include "platform/Platform.h"
#include "update/wizard/SidePicture.h"
#include "update/wizard/TWebUpdateWizardLanguage.h"
#include "update/wizard/WizardEngine.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>

#include <limits>

using update::TFileDescription;
using update::TFileList;

namespace wizard {

namespace {

constexpr int PageWidth = 329;
constexpr int ContentWidth = 313;
constexpr int ItemHeight = 14;

// The hourglass for as long as an engine step runs; also when the step throws.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};

// Progress bars count in int; larger files are shown to scale.
void setProgress(QProgressBar* bar, qint64 value, qint64 maximum)
{
    qint64 divisor = 1;
    while (maximum / divisor > std::numeric_limits<int>::max())
        divisor *= 2;
    bar->setMaximum(int(qMax<qint64>(0, maximum / divisor)));
    bar->setValue(int(qBound<qint64>(0, value / divisor, maximum / divisor)));
}

} // namespace

TWUWIZ::TWUWIZ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TWUWIZ"));
    setFixedSize(474, 284);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont formFont(QStringLiteral("Verdana"));
    formFont.setPointSize(9);
    setFont(formFont);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(2, 1, 471, 281);
    Shape1->setFrameShape(QFrame::NoFrame);

    Billboard = new QLabel(this);
    Billboard->setObjectName(QStringLiteral("Billboard"));
    Billboard->setGeometry(9, 27, 116, 201);
    Billboard->setScaledContents(true);
    Billboard->setPixmap(drawSidePicture(116, 201));

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(136, 8, PageWidth, 265);
    QWidget** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5, &TabSheet6, &TabSheet7};
    for (int i = 0; i < 7; ++i) {
        *sheets[i] = new QWidget(PageControl1);
        (*sheets[i])->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        PageControl1->addWidget(*sheets[i]);
    }

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ViewinNotepad1 = PopupMenu1->addAction(QStringLiteral("View in Notepad"));
    ViewinNotepad1->setObjectName(QStringLiteral("ViewinNotepad1"));
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    ViewinNotepad2 = PopupMenu2->addAction(QStringLiteral("View in Notepad"));
    ViewinNotepad2->setObjectName(QStringLiteral("ViewinNotepad2"));
    connect(ViewinNotepad1, &QAction::triggered, this, &TWUWIZ::ViewinNotepad1Click);
    connect(ViewinNotepad2, &QAction::triggered, this, &TWUWIZ::ViewinNotepad2Click);

    // Page 0: welcome.
    WelcomeLabel = label(TabSheet1, QStringLiteral("WelcomeLabel"), 0, 24);
    WelcomeLabel->setWordWrap(true);
    WelcomeLabel->setFixedWidth(ContentWidth);
    StartButton = stepButton(TabSheet1, QStringLiteral("StartButton"));
    StartButton->setDefault(true);
    StartButton->setText(QStringLiteral("Start"));
    connect(StartButton, &QPushButton::clicked, this, &TWUWIZ::StartButtonClick);

    // Page 1: the result of the version check.
    VersionInfoLabel = label(TabSheet2, QStringLiteral("VersionInfoLabel"), 0, 16);
    VersionInfoLabel->setWordWrap(true);
    ControlButton = stepButton(TabSheet2, QStringLiteral("ControlButton"));
    ControlButton->setEnabled(false);
    connect(ControlButton, &QPushButton::clicked, this, &TWUWIZ::ControlButtonClick);

    // Page 2: release notes.
    Label1 = label(TabSheet3, QStringLiteral("Label1"), 0, 8);
    Label1->setText(QStringLiteral("What's new :"));
    WhatsNewMemo = memo(TabSheet3, QStringLiteral("WhatsNewMemo"), PopupMenu1);
    NewButton = stepButton(TabSheet3, QStringLiteral("NewButton"));
    connect(NewButton, &QPushButton::clicked, this, &TWUWIZ::NewButtonClick);

    // Page 3: licence.
    Label2 = label(TabSheet4, QStringLiteral("Label2"), 0, 8);
    Label2->setText(QStringLiteral("License agreement :"));
    EULAMemo = memo(TabSheet4, QStringLiteral("EULAMemo"), PopupMenu2);
    RAccept = new QRadioButton(TabSheet4);
    RAccept->setObjectName(QStringLiteral("RAccept"));
    RAccept->setGeometry(1, 220, 224, 17);
    RNoAccept = new QRadioButton(TabSheet4);
    RNoAccept->setObjectName(QStringLiteral("RNoAccept"));
    RNoAccept->setGeometry(1, 238, 224, 17);
    connect(RAccept, &QRadioButton::clicked, this, &TWUWIZ::RAcceptClick);
    connect(RNoAccept, &QRadioButton::clicked, this, &TWUWIZ::RAcceptClick);
    EULAButton = stepButton(TabSheet4, QStringLiteral("EULAButton"));
    EULAButton->setEnabled(false);
    connect(EULAButton, &QPushButton::clicked, this, &TWUWIZ::EULAButtonClick);

    // Page 4: components.
    Label3 = label(TabSheet5, QStringLiteral("Label3"), 0, 8);
    CheckListBox1 = new QListWidget(TabSheet5);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setGeometry(0, 24, ContentWidth, 193);
    CheckListBox1->setUniformItemSizes(true);
    FilesButton = stepButton(TabSheet5, QStringLiteral("FilesButton"));
    connect(FilesButton, &QPushButton::clicked, this, &TWUWIZ::FilesButtonClick);

    // Page 5: download.
    Label4 = label(TabSheet6, QStringLiteral("Label4"), 0, 8);
    Label5 = label(TabSheet6, QStringLiteral("Label5"), 0, 56);
    FileLabel = label(TabSheet6, QStringLiteral("FileLabel"), 152, 56);
    FileLabel->setFixedWidth(PageWidth - 152);
    FileProgress = new QProgressBar(TabSheet6);
    FileProgress->setObjectName(QStringLiteral("FileProgress"));
    FileProgress->setGeometry(0, 80, ContentWidth, 17);
    FileProgress->setTextVisible(false);
    Label6 = label(TabSheet6, QStringLiteral("Label6"), 0, 136);
    TotalProgress = new QProgressBar(TabSheet6);
    TotalProgress->setObjectName(QStringLiteral("TotalProgress"));
    TotalProgress->setGeometry(0, 160, ContentWidth, 17);
    TotalProgress->setTextVisible(false);
    CancelButton = stepButton(TabSheet6, QStringLiteral("CancelButton"));
    connect(CancelButton, &QPushButton::clicked, this, &TWUWIZ::CancelButtonClick);

    // Page 6: done.
    Label7 = label(TabSheet7, QStringLiteral("Label7"), 0, 8);
    Label8 = label(TabSheet7, QStringLiteral("Label8"), 0, 96);
    Label8->setWordWrap(true);
    Label8->setFixedWidth(ContentWidth);
    RestartButton = stepButton(TabSheet7, QStringLiteral("RestartButton"));
    connect(RestartButton, &QPushButton::clicked, this, &TWUWIZ::RestartButtonClick);

    // FormCreate.
    showPage(0);
    engine = nullptr;
    cancelFlag = false;
}

QPushButton* TWUWIZ::stepButton(QWidget* page, const QString& name)
{
    auto* button = new QPushButton(page);
    button->setObjectName(name);
    button->setGeometry(224, 224, 91, 25);
    button->setAutoDefault(false);
    return button;
}

QLabel* TWUWIZ::label(QWidget* page, const QString& name, int x, int y)
{
    auto* l = new QLabel(page);
    l->setObjectName(name);
    l->move(x, y);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPlainTextEdit* TWUWIZ::memo(QWidget* page, const QString& name, QMenu* menu)
{
    auto* m = new QPlainTextEdit(page);
    m->setObjectName(name);
    m->setGeometry(0, 24, ContentWidth, 193);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m, &QWidget::customContextMenuRequested, this,
            [m, menu](const QPoint& at) { menu->popup(m->viewport()->mapToGlobal(at)); });
    return m;
}

void TWUWIZ::applyTexts(const TWebUpdateWizardLanguage& t)
{
    WelcomeLabel->setText(t.Welcome);
    StartButton->setText(t.StartButton);
    NewButton->setText(t.NextButton);
    EULAButton->setText(t.NextButton);
    FilesButton->setText(t.NextButton);
    RestartButton->setText(t.RestartButton);
    CancelButton->setText(t.CancelButton);
    ControlButton->setText(t.GetUpdateButton);
    Label1->setText(t.WhatsNew);
    Label2->setText(t.License);
    RAccept->setText(t.AcceptLicense);
    RNoAccept->setText(t.NotAcceptLicense);
    Label3->setText(t.ComponentsAvail);
    Label4->setText(t.DownloadingFiles);
    Label5->setText(t.CurrentProgress);
    Label6->setText(t.TotalProgress);
    Label7->setText(t.UpdateComplete);
    Label8->setText(t.RestartInfo);
    ViewinNotepad1->setText(t.WhatsNewPopup);
    ViewinNotepad2->setText(t.LicensePopup);
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6, Label7})
        l->adjustSize();
    for (QLabel* l : {WelcomeLabel, Label8})
        l->adjustSize();
    // Longer translations must not run into the file name or out of their buttons.
    FileLabel->move(qMax(152, Label5->x() + Label5->width() + 8), FileLabel->y());
    FileLabel->setFixedWidth(PageWidth - FileLabel->x());
    for (QPushButton* b : {StartButton, ControlButton, NewButton, EULAButton, FilesButton, CancelButton, RestartButton})
        FitButton(b);

    m_newVersionFound = t.NewVersionFound;
    m_newVersion = t.NewVersion;
    m_currentVersion = t.CurrentVersion;
    m_noNewVersionAvail = t.NoNewVersionAvail;
    m_newVersionAvail = t.NewVersionAvail;
    m_getUpdateButton = t.GetUpdateButton;
    m_exitButton = t.ExitButton;
    m_noFilesFound = t.NoFilesFound;
    m_cannotConnect = t.CannotConnect;
    m_noUpdateOnServer = t.NoUpdateOnServer;
    m_nextButton = t.NextButton;
    m_failedDownload = t.FailedDownload;
    m_whatsNewPopup = t.WhatsNewPopup;
    m_licensePopup = t.LicensePopup;
}

void TWUWIZ::showPage(int index)
{
    PageControl1->setCurrentIndex(index);
}

void TWUWIZ::showMessage(const QString& text)
{
    widgets::showMessageBox({this, QGuiApplication::applicationDisplayName(), text, widgets::BoxIcon::None});
}

bool TWUWIZ::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        m_activationSeen = true;
        // Handled after the event: the handler may run a whole step with message boxes of its own.
        QTimer::singleShot(0, this, &TWUWIZ::FormActivate);
    }
    return QDialog::event(e);
}

void TWUWIZ::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Some platforms (the offscreen one among them) never activate a window; act as if it had been.
    QTimer::singleShot(50, this, [this] {
        if (!m_activationSeen)
            FormActivate();
    });
}

void TWUWIZ::FormActivate()
{
    if (m_closed || PageControl1->currentIndex() != 0)
        return;
    StartButton->setFocus();
    if (AutoStart) {
        showPage(1);
        if (pauseOnPage())
            StartButtonClick();
    }
}

void TWUWIZ::StartButtonClick()
{
    WaitCursor cursor;
    StartButton->setEnabled(false);
    ViewinNotepad1->setText(m_whatsNewPopup);
    ViewinNotepad2->setText(m_licensePopup);
    if (engine->OpenSession() != 0) {
        cursor.restore();
        CloseWizard();
        StartButton->setEnabled(true);
        return;
    }
    cursor.restore();
    if (engine->isFtpUpdate())
        engine->ConnectFtpHost();
    engine->setSilentUpdate();

    if (transfer([this] { return engine->FetchControlFile(); }) != 0) {
        showPage(1);
        VersionInfoLabel->setText(m_cannotConnect + QLatin1Char(' ') + m_noUpdateOnServer);
        VersionInfoLabel->setFixedWidth(300);
        VersionInfoLabel->adjustSize();
        ControlButton->setText(m_exitButton);
    } else {
        StartButton->setEnabled(true);
        showPage(1);
        const int verdict = engine->EvaluateUpdate();
        setVerdictText(verdict);
        VersionInfoLabel->setFixedWidth(300);
        VersionInfoLabel->adjustSize();
        ControlButton->setText(verdict == 7 ? m_exitButton : m_getUpdateButton);
    }
    FitButton(ControlButton);
    ControlButton->setEnabled(true);
    ControlButton->setFocus();
    if (AutoRun) {
        if (pauseOnPage())
            ControlButtonClick();
    }
}

void TWUWIZ::setVerdictText(int verdict)
{
    // Qt labels break lines at '\n' where the original text has a carriage return.
    const QChar cr = QLatin1Char('\n');
    const QLocale locale;
    switch (verdict) {
    case 6: {
        const QDateTime release = engine->releaseStamp();
        QString text = m_newVersionFound + QStringLiteral(" :") + cr + m_currentVersion + QStringLiteral(" : ") +
                       locale.toString(engine->localStamp().date(), QLocale::ShortFormat) + cr + m_newVersion +
                       QStringLiteral(" : ") + locale.toString(release.date(), QLocale::ShortFormat);
        if (release.time() != QTime(0, 0))
            text += QLatin1Char(' ') + locale.toString(release.time(), QLocale::ShortFormat);
        VersionInfoLabel->setText(text + cr + cr + engine->releaseDescription());
        break;
    }
    case 7:
        VersionInfoLabel->setText(m_noNewVersionAvail);
        break;
    case 11:
        VersionInfoLabel->setText(m_newVersionFound + QStringLiteral(" :") + cr + m_currentVersion +
                                  QStringLiteral(" : ") + engine->localVersionText() + cr + m_newVersion +
                                  QStringLiteral(" : ") + engine->newVersionText() + cr + cr +
                                  engine->releaseDescription());
        break;
    case 8:
    case 9:
    case 10:
    case 12:
        VersionInfoLabel->setText(m_newVersionAvail);
        break;
    default:
        break;
    }
}

void TWUWIZ::ControlButtonClick()
{
    if (ControlButton->text() == m_exitButton) {
        CloseWizard();
        return;
    }
    if (engine->RunPreUpdateActions() != 0) {
        CloseWizard();
        return;
    }
    const std::optional<QStringList> whatsNew = transfer([this] { return engine->FetchWhatsNew(); });
    if (engine->cancelled()) { // the text was refused (or its download cancelled): the run ends here
        CloseWizard();
        return;
    }
    if (whatsNew && !whatsNew->isEmpty()) {
        WhatsNewMemo->setPlainText(whatsNew->join(QLatin1Char('\n')));
        showPage(2);
        NewButton->setEnabled(true);
        NewButton->setFocus();
        if (AutoRun) {
            if (pauseOnPage())
                NewButtonClick();
        }
        return;
    }
    if (offerLicense())
        return;
    FillComponentList();
    if (!FilesLeft())
        return;
    showPage(4);
    FilesButton->setEnabled(true);
    FilesButton->setFocus();
    if (AutoRun || CheckListBox1->count() == 0) {
        if (pauseOnPage())
            FilesButtonClick();
    }
}

bool TWUWIZ::offerLicense()
{
    const std::optional<QStringList> license = transfer([this] { return engine->FetchLicense(); });
    if (engine->cancelled()) { // as for the release notes
        CloseWizard();
        return true;
    }
    if (!license || license->isEmpty())
        return false;
    EULAMemo->setPlainText(license->join(QLatin1Char('\n')));
    showPage(3);
    if (AutoRun) {
        EULAButton->setEnabled(true);
        EULAButton->setText(m_nextButton);
        FitButton(EULAButton);
        if (pauseOnPage())
            EULAButtonClick();
    }
    return true;
}

void TWUWIZ::offerComponents()
{
    showPage(4);
    FilesButton->setEnabled(true);
    FilesButton->setFocus();
    if (AutoRun) {
        if (pauseOnPage())
            FilesButtonClick();
    }
}

void TWUWIZ::NewButtonClick()
{
    if (offerLicense())
        return;
    FillComponentList();
    if (FilesLeft())
        offerComponents();
}

void TWUWIZ::RAcceptClick()
{
    if (RAccept->isChecked()) {
        EULAButton->setEnabled(true);
        EULAButton->setText(m_nextButton);
    } else if (RNoAccept->isChecked()) {
        EULAButton->setEnabled(true);
        EULAButton->setText(m_exitButton);
    }
    FitButton(EULAButton);
}

void TWUWIZ::EULAButtonClick()
{
    if (RAccept->isChecked()) {
        FillComponentList();
        offerComponents();
    } else if (RNoAccept->isChecked()) {
        CloseWizard();
    }
}

void TWUWIZ::FillComponentList()
{
    engine->LoadFileList();
    engine->FilterFileList();
    TFileList& files = engine->fileList();
    CheckListBox1->clear();
    for (int i = 0; i < files.count(); ++i) {
        if (!files.item(i).Hidden) {
            auto* entry = new QListWidgetItem(files.item(i).Description, CheckListBox1);
            entry->setSizeHint(QSize(ContentWidth - 4, ItemHeight));
        }
    }
    int k = 0;
    for (int i = 0; i < files.count(); ++i) {
        const TFileDescription& file = files.item(i);
        if (file.Hidden)
            continue;
        QListWidgetItem* entry = CheckListBox1->item(k);
        entry->setData(Qt::UserRole, i);
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (file.Mandatory)
            flags &= ~Qt::ItemIsEnabled;
        entry->setFlags(flags);
        entry->setCheckState(Qt::Checked);
        ++k;
    }
}

bool TWUWIZ::FilesLeft()
{
    if (engine->fileList().isEmpty()) {
        showMessage(m_noFilesFound);
        CloseWizard();
        return false;
    }
    return true;
}

void TWUWIZ::FilesButtonClick()
{
    TFileList& files = engine->fileList();
    for (int i = 0; i < files.count(); ++i)
        files.item(i).Selected = true;
    for (int k = 0; k < CheckListBox1->count(); ++k) {
        const QListWidgetItem* entry = CheckListBox1->item(k);
        const int index = entry->data(Qt::UserRole).toInt();
        if (entry->checkState() != Qt::Checked && index >= 0 && index < files.count())
            files.item(index).Selected = false;
    }
    for (int i = files.count() - 1; i >= 0; --i) {
        if (!files.item(i).Selected)
            files.removeAt(i);
    }
    if (files.isEmpty()) {
        showMessage(m_noFilesFound);
        CloseWizard();
        return;
    }

    FileLabel->clear();
    FileProgress->setValue(0);
    TotalProgress->setValue(0);
    showPage(5);
    CancelButton->setEnabled(true);
    CancelButton->setFocus();
    if (AutoRun)
        CancelButton->setEnabled(false);

    {
        WaitCursor cursor;
        const int result = transfer([this] { return engine->DownloadFiles(); });
        if (result == -1) {
            cursor.restore();
            engine->setCancelled(true);
            showMessage(m_failedDownload);
        }
        engine->FinishUpdate();
    }
    if (engine->cancelled()) {
        CloseWizard();
        return;
    }
    engine->CloseSession();
    engine->raiseSuccess();

    showPage(6);
    if (!(engine->appUpdate() && !engine->cancelled() && engine->componentDownloaded())) {
        RestartButton->setText(m_exitButton);
        FitButton(RestartButton);
        Label8->clear();
    }
    RestartButton->setEnabled(true);
    RestartButton->setFocus();
    if (AutoRun) {
        if (pauseOnPage())
            RestartButtonClick();
    }
}

void TWUWIZ::CancelButtonClick()
{
    cancelFlag = true;
}

void TWUWIZ::RestartButtonClick()
{
    if (engine->appUpdate() && !engine->cancelled() && engine->componentDownloaded())
        engine->LaunchRestart();
    else
        CloseWizard();
}

void TWUWIZ::WebUpdateFileProgress(const QString& fileName, qint64 pos, qint64 size)
{
    const int cut = qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    FileLabel->setText(FileLabel->fontMetrics().elidedText(fileName.mid(cut + 1), Qt::ElideMiddle, FileLabel->width()));
    setProgress(FileProgress, pos, size);
    const TFileList& files = engine->fileList();
    setProgress(TotalProgress, files.completedSize() + pos, files.totalSize());
    QCoreApplication::processEvents();
}

void TWUWIZ::ViewinNotepad1Click()
{
    saveAndOpen(WhatsNewMemo, QStringLiteral("whatsnew.txt"));
}

void TWUWIZ::ViewinNotepad2Click()
{
    saveAndOpen(EULAMemo, QStringLiteral("eula.txt"));
}

void TWUWIZ::saveAndOpen(const QPlainTextEdit* memo, const QString& fileName)
{
    const QString path = platform::tempDir() + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return; // nothing to show; the memo still holds the text
    file.write(memo->toPlainText().toUtf8() + '\n');
    file.close();
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TWUWIZ::FitButton(QPushButton* button)
{
    const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 16;
    const int width = qMax(needed, button->width());
    const QRect old = button->geometry();
    button->setGeometry(old.x() + old.width() - width, old.y(), width, old.height());
}

void TWUWIZ::CloseWizard()
{
    if (engine)
        engine->CloseSession();
    m_closed = true;
    QDialog::done(QDialog::Rejected);
}

// The automatic step after a pause runs only when the user has not moved on (or closed) meanwhile,
// so that a click during the pause does not run the same step twice.
bool TWUWIZ::pauseOnPage()
{
    const int page = PageControl1->currentIndex();
    Pause();
    return !m_closed && PageControl1->currentIndex() == page;
}

void TWUWIZ::Pause()
{
    QEventLoop loop;
    QTimer::singleShot(PauseMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void TWUWIZ::closeEvent(QCloseEvent* e)
{
    // Closing in the middle of a transfer would pull the session from under it: it cancels the transfer
    // instead, and the run ends (and closes the window) once the current block is done.
    if (m_transferring) {
        cancelFlag = true;
        e->ignore();
        return;
    }
    CloseWizard(); // FormCloseQuery
    e->accept();
}

void TWUWIZ::reject()
{
    if (m_transferring) {
        cancelFlag = true;
        return;
    }
    CloseWizard();
}

} // namespace wizard
