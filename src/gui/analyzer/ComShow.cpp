#include "gui/analyzer/ComShow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QVBoxLayout>

#include "analyzer/BestGuess.h"
#include "gui/CodePageText.h"
#include "gui/ControlTextBox.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kPollMs = 50;
constexpr int kPlacementTwips = 780;  // below the top of the setup window

QPushButton* Button(QWidget* parent, const char* name, int id) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    SetStringId(b, id);
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, int id) {
    auto* l = new QLabel(parent);
    SetStringId(l, id);
    return l;
}

QLabel* Number(QWidget* parent, const char* name) {
    auto* l = new QLabel("0", parent);
    l->setObjectName(name);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance("0000000"));
    return l;
}

}  // namespace

QString AnalyzerDisplayText(std::string_view text, char previous) {
    QString shown = FromCodePage(text);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char before = i == 0 ? previous : text[static_cast<size_t>(i - 1)];
        if (shown[i] == '\r')
            shown[i] = QChar::ParagraphSeparator;
        else if (shown[i] == '\n')
            shown[i] = before == '\r' ? QChar(0x200B) : QChar(QChar::ParagraphSeparator);
    }
    return shown;
}

ComShow::ComShow(SetupGlobals& g, Messages& messages, SerialPort& port, QWidget* parent)
    : QDialog(parent),
      g_(g),
      messages_(messages),
      analyzer_(std::make_unique<PortAnalyzer>(g, port, clock_)) {
    Build();
}

ComShow::ComShow(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages) {
    Build();
}

void ComShow::Build() {
    const bool device = IsVirtualDevice();
    setObjectName(device ? "VirtualDevice" : "ComShow");
    setModal(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    SetStringId(this, device ? kStrVirtualDeviceTitle : kStrAnalyzerTitle);
    auto* top = new QVBoxLayout(this);

    auto* input = new QGroupBox(this);
    input->setObjectName("InputFrame");
    SetStringId(input, device ? kStrVirtualInputBuffer : kStrAnalyzerInputData);
    auto* inputLayout = new QVBoxLayout(input);
    buffer_ = new QPlainTextEdit(input);
    buffer_->setObjectName("Buffer");
    buffer_->setReadOnly(true);
    buffer_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    buffer_->setTabChangesFocus(true);
    buffer_->setMinimumSize(fontMetrics().averageCharWidth() * 64, fontMetrics().height() * 12);
    buffer_->installEventFilter(this);
    buffer_->viewport()->installEventFilter(this);
    inputLayout->addWidget(buffer_, 1);
    countsRow_ = new QWidget(input);
    auto* counts = new QHBoxLayout(countsRow_);
    counts->setContentsMargins(0, 0, 0, 0);
    counts->addWidget(Label(input, kStrAnalyzerTotalCount));
    byteCount_ = Number(input, "BufByteCount");
    counts->addWidget(byteCount_);
    counts->addStretch(1);
    auto* selected = new QGroupBox(input);
    SetStringId(selected, kStrAnalyzerSelectedText);
    auto* selectedLayout = new QHBoxLayout(selected);
    selectedLayout->addWidget(Label(selected, kStrAnalyzerStartPosition));
    selStart_ = Number(selected, "SelStartPosition");
    selectedLayout->addWidget(selStart_);
    selectedLayout->addWidget(Label(selected, kStrAnalyzerByteCount));
    selCount_ = Number(selected, "SelByteCount");
    selectedLayout->addWidget(selCount_);
    counts->addWidget(selected);
    inputLayout->addWidget(countsRow_);
    translate_ = new QCheckBox(input);
    translate_->setObjectName("Check1");
    SetStringId(translate_, kStrAnalyzerTranslate);
    inputLayout->addWidget(translate_);
    top->addWidget(input, 1);

    auto* outputBox = new QGroupBox(this);
    outputBox->setObjectName("OutputFrame");
    SetStringId(outputBox, device ? kStrVirtualOutput : kStrAnalyzerOutput);
    auto* outputLayout = new QHBoxLayout(outputBox);
    output_ = new ControlTextPlainEdit(messages_, outputBox);
    output_->setObjectName("OutputBuffer");
    output_->setMaximumHeight(fontMetrics().height() * 4);
    output_->installEventFilter(this);
    outputLayout->addWidget(output_, 1);
    QPushButton* chart = Button(outputBox, "AsciiButton", kStrAnalyzerAsciiChart);
    outputLayout->addWidget(chart, 0, Qt::AlignTop);
    top->addWidget(outputBox);

    auto* buttons = new QHBoxLayout;
    QPushButton* send = Button(this, "SendButton", kStrAnalyzerSend);
    dtr_ = Button(this, "DtrButton", kStrAnalyzerDtr);
    break_ = Button(this, "BreakButton", kStrAnalyzerBreak);
    QPushButton* clear = Button(this, "ClearButton", kStrAnalyzerClearInput);
    analyze_ = Button(this, "AnalyzeButton", kStrAnalyzerAnalyzeInput);
    QPushButton* quit = Button(this, "QuitButton", kStrAnalyzerQuit);
    for (QPushButton* b : {send, dtr_, break_, clear, analyze_}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(quit);
    top->addLayout(buttons);
    analyze_->setEnabled(false);

    connect(send, &QPushButton::clicked, this, [this] {
        if (IsVirtualDevice()) {
            device_.SendInput(output_->Value());  // read by the runtime's next ticks
        } else if (!analyzer_->Send(output_->Value())) {
            messages_.Beep();
        }
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        ClearDisplay();
        buffer_->setFocus();
    });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(chart, &QPushButton::clicked, this, &ComShow::PickAsciiIntoOutput);
    connect(buffer_, &QPlainTextEdit::selectionChanged, this, &ComShow::RefreshCounts);
    connect(buffer_, &QPlainTextEdit::cursorPositionChanged, this, &ComShow::RefreshCounts);
    if (device) {
        for (QWidget* w :
             {countsRow_, static_cast<QWidget*>(translate_), static_cast<QWidget*>(analyze_),
              static_cast<QWidget*>(dtr_), static_cast<QWidget*>(break_)})
            w->hide();
        SetToolTipStringId(output_, kStrVirtualOutputHint);
        SetToolTipStringId(buffer_, kStrVirtualInputHint);
        LocalizeForm(this);
        return;
    }
    connect(dtr_, &QPushButton::clicked, this, [this] { analyzer_->PulseDtr(); });
    connect(break_, &QPushButton::clicked, this, [this] { analyzer_->Break(); });
    connect(analyze_, &QPushButton::clicked, this, [this] {
        AnalyzeInput(analyzer_->Display(), g_, messages_);
        buffer_->setFocus();
    });
    connect(translate_, &QCheckBox::toggled, this,
            [this](bool on) { analyzer_->SetTranslate(on); });
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &ComShow::PollTick);
    LocalizeForm(this);
}

ComShow::~ComShow() {
    if (analyzer_ && analyzer_->IsOpen()) analyzer_->Close();
}

const AnalyzerDisplay& ComShow::Shown() const {
    return analyzer_ ? analyzer_->Shown() : deviceShown_;
}

bool ComShow::Open() {
    if (!analyzer_->Open(messages_)) return false;
    setWindowTitle(QString::fromStdString(AnalyzerCaption(g_)));
    if (QWidget* setup = parentWidget()) {
        const double dpi = setup->screen() ? setup->screen()->logicalDotsPerInchY() : 96.0;
        move(setup->frameGeometry().left(),
             setup->frameGeometry().top() + static_cast<int>(kPlacementTwips * dpi / 1440.0));
    }
    poll_.start();
    show();
    raise();
    activateWindow();
    buffer_->setFocus();
    return true;
}

void ComShow::ShowAsDevice(const QWidget* near) {
    closedByRuntime_ = false;
    device_.ClearPendingInput();
    if (near != nullptr) {
        // Beside the runtime window where the screen has room, else below it.
        const QRect runtime = near->frameGeometry();
        const QRect screen =
            near->screen() ? near->screen()->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
        const QSize size = sizeHint();
        if (runtime.right() + 1 + size.width() <= screen.right()) {
            move(runtime.right() + 1, runtime.top());
        } else {
            move(runtime.left(), std::min(runtime.bottom() + 1, screen.bottom() - size.height()));
        }
    }
    show();
    raise();
    activateWindow();
    output_->setFocus();
}

void ComShow::DeviceLink::ShowOutput(const std::string& text) {
    window_.deviceShown_.Append(text);
    window_.ShowNewText();
}

void ComShow::DeviceLink::Close() {
    window_.closedByRuntime_ = true;
    if (window_.isVisible()) window_.close();
}

void ComShow::ClearDisplay() {
    if (analyzer_) {
        analyzer_->ClearDisplay();
    } else {
        deviceShown_.Clear();
    }
    buffer_->clear();
    shownSize_ = 0;
    RefreshCounts();
}

void ComShow::PollTick() {
    if (analyzer_->Tick())
        ShowNewText();  // counts refreshed with the text
    else
        RefreshCounts();
}

void ComShow::ShowNewText() {
    const std::string& text = Shown().Text();
    if (Shown().Dropped() != shownDropped_ || text.size() < shownSize_) {
        // The bound took text from the front: the display starts again from the kept text.
        buffer_->setPlainText(AnalyzerDisplayText(text, 0));
        shownDropped_ = Shown().Dropped();
    } else {
        QTextCursor end(buffer_->document());
        end.movePosition(QTextCursor::End);
        const char previous = shownSize_ > 0 ? text[shownSize_ - 1] : 0;
        end.insertText(AnalyzerDisplayText(std::string_view(text).substr(shownSize_), previous));
    }
    shownSize_ = text.size();
    buffer_->moveCursor(QTextCursor::End);  // the display scrolls with the data
    RefreshCounts();
}

void ComShow::RefreshCounts() {
    const QTextCursor cursor = buffer_->textCursor();
    analyze_->setEnabled(!Shown().Text().empty());
    byteCount_->setText(QString::number(Shown().Text().size()));
    selCount_->setText(QString::number(cursor.selectionEnd() - cursor.selectionStart()));
    selStart_->setText(QString::number(cursor.selectionStart() + 1));
}

void ComShow::CopyDisplay() {
    const QTextCursor cursor = buffer_->textCursor();
    const std::string& text = Shown().Text();
    std::string_view copied = text;
    if (cursor.hasSelection()) {
        const size_t start = std::min(static_cast<size_t>(cursor.selectionStart()), text.size());
        const size_t end = std::min(static_cast<size_t>(cursor.selectionEnd()), text.size());
        copied = std::string_view(text).substr(start, end - start);
    }
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setText(FromCodePage(copied));
}

void ComShow::PickAsciiIntoOutput() {
    PickIntoBox(AsciiChart::Shared(g_), *output_);
}

void ComShow::ShowPopup(QWidget* target, const QPoint& at) {
    target->setFocus();
    std::unique_ptr<QMenu> menu;
    if (target == output_) {
        // The box's own Cut, Copy and Paste work on the control-character clipboard.
        menu.reset(output_->CreateContextMenu());
    } else {
        menu = std::make_unique<QMenu>(this);
        QAction* copy = menu->addAction(UiText(kStrControlTextCopy), this, &ComShow::CopyDisplay);
        copy->setEnabled(buffer_->textCursor().hasSelection());
    }
    menu->addSeparator();
    menu->addAction(UiText(kStrRecTypeAsciiChart), this, &ComShow::PickAsciiIntoOutput);
    menu->exec(at);
}

bool ComShow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu &&
        (watched == output_ || watched == buffer_ || watched == buffer_->viewport())) {
        QWidget* target = watched == output_ ? static_cast<QWidget*>(output_) : buffer_;
        ShowPopup(target, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (watched == buffer_ && event->type() == QEvent::KeyPress) {
        // Only the caret keys and Ctrl+Insert (copy) reach the display.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_Left:
            case Qt::Key_Right:
                return false;
            case Qt::Key_Insert:
                if (ctrl) CopyDisplay();
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
                return false;  // focus moves, Escape closes
            default:
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ComShow::done(int result) {
    // Quit, the close box and Escape all end here.
    if (IsVirtualDevice()) {
        QDialog::done(result);
        const bool byUser = !closedByRuntime_;
        closedByRuntime_ = true;  // said once
        if (byUser) emit Closed();
        return;
    }
    if (poll_.isActive() || analyzer_->IsOpen()) {
        poll_.stop();
        analyzer_->Close();
        QDialog::done(result);
        emit Closed();
        return;
    }
    QDialog::done(result);
}

}  // namespace quorvane
