#include "gui/setup/RecDefs.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/CodePageText.h"
#include "gui/ControlTextBox.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/WizardNumericBox.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kFilterEntries = 6;
constexpr int kNamedFormatEntries = 6;
constexpr int kMathRow = 3;

ControlTextPlainEdit* MacroBox(Messages& messages, QWidget* parent, const char* name) {
    auto* box = new ControlTextPlainEdit(messages, parent);
    box->setObjectName(name);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 48);
    return box;
}

}  // namespace

RecDefs::RecDefs(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes,
                 AsciiChart* chart, QWidget* parent)
    : QDialog(parent),
      g_(g),
      messages_(messages),
      keystrokes_(std::move(keystrokes)),
      chart_(chart) {
    setObjectName("RecDefs");
    SetStringId(this, kStrRecDefsTitle);
    BuildLayout();
    LocalizeForm(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

void RecDefs::BuildLayout() {
    auto* top = new QVBoxLayout(this);

    recordGroup_ = new QGroupBox(this);
    SetStringId(recordGroup_, kStrRecDefsRecordGroup);
    auto* record = new QVBoxLayout(recordGroup_);
    preambleLabel_ = new QLabel(recordGroup_);
    preamble_ = MacroBox(messages_, recordGroup_, "PreambleMacro");
    SetToolTipStringId(preamble_, kStrRecDefsPreambleTip);
    preambleLabel_->setBuddy(preamble_);
    record->addWidget(preambleLabel_);
    record->addWidget(preamble_);
    // Fields after the first have no preamble; the space stays so the form does not jump.
    QSizePolicy keep = recordGroup_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    recordGroup_->setSizePolicy(keep);
    top->addWidget(recordGroup_);

    auto* fieldGroup = new QGroupBox(this);
    SetStringId(fieldGroup, kStrRecDefsFieldGroup);
    auto* grid = new QGridLayout(fieldGroup);
    const auto label = [&](int id) {
        auto* l = new QLabel(fieldGroup);
        SetStringId(l, id);
        return l;
    };
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(label(kStrRecDefsFieldNumber));
    fieldName_ = new QLabel(fieldGroup);
    fieldName_->setObjectName("FieldName");
    numberRow->addWidget(fieldName_);
    numberRow->addStretch(1);
    bytesLabel_ = label(kStrRecDefsBytesDefined);
    bytesDefined_ = new QLabel(fieldGroup);
    bytesDefined_->setObjectName("BytesDefined");
    bytesOf_ = label(kStrRecDefsBytesOf);
    recordLength_ = new QLabel(fieldGroup);
    recordLength_->setObjectName("RecordLength");
    for (QLabel* l : {bytesLabel_, bytesDefined_, bytesOf_, recordLength_}) numberRow->addWidget(l);
    grid->addLayout(numberRow, 0, 0, 1, 4);

    QLabel* filterLabel = label(kStrRecDefsFilterLabel);
    filterTypes_ = new QComboBox(fieldGroup);
    filterTypes_->setObjectName("FilterTypes");
    for (int k = 0; k < kFilterEntries; ++k) filterTypes_->addItem(QString());
    SetToolTipStringId(filterTypes_, kStrRecDefsFilterTip);
    filterLabel->setBuddy(filterTypes_);
    grid->addWidget(filterLabel, 1, 0);
    grid->addWidget(filterTypes_, 1, 1, 1, 3, Qt::AlignLeft);

    QLabel* formatLabel = label(kStrRecDefsFormatLabel);
    fieldFormat_ = new QComboBox(fieldGroup);
    fieldFormat_->setObjectName("lstFieldFormat");
    fieldFormat_->setEditable(true);
    fieldFormat_->setInsertPolicy(QComboBox::NoInsert);
    for (int k = 0; k < kNamedFormatEntries; ++k) fieldFormat_->addItem(QString());
    SetToolTipStringId(fieldFormat_, kStrRecDefsFormatTip);
    formatLabel->setBuddy(fieldFormat_);
    grid->addWidget(formatLabel, 2, 0);
    grid->addWidget(fieldFormat_, 2, 1, 1, 3);

    lengthLabel_ = label(kStrRecDefsLength);
    length_ = new WizardNumericBox(messages_, false, fieldGroup);
    length_->setObjectName("FieldLength");
    length_->setMaximumWidth(length_->fontMetrics().averageCharWidth() * 9);
    SetToolTipStringId(length_, kStrRecDefsLengthTip);
    lengthLabel_->setBuddy(length_);
    length_->installEventFilter(this);
    mathLabel_ = label(kStrRecDefsMathLabel);
    fieldExpression_ = new QLineEdit(fieldGroup);
    fieldExpression_->setObjectName("FieldExpression");
    SetToolTipStringId(fieldExpression_, kStrRecDefsMathTip);
    mathLabel_->setBuddy(fieldExpression_);
    grid->addWidget(lengthLabel_, kMathRow, 0);
    grid->addWidget(length_, kMathRow, 1);
    grid->setColumnStretch(3, 1);
    mathGrid_ = grid;

    postambleLabel_ = new QLabel(fieldGroup);
    fieldMacro_ = MacroBox(messages_, fieldGroup, "FieldMacro");
    SetToolTipStringId(fieldMacro_, kStrRecDefsPostambleTip);
    postambleLabel_->setBuddy(fieldMacro_);
    grid->addWidget(postambleLabel_, 4, 0, 1, 4);
    grid->addWidget(fieldMacro_, 5, 0, 1, 4);

    auto* navigation = new QHBoxLayout;
    previous_ = new QPushButton(fieldGroup);
    previous_->setObjectName("PreviousField");
    SetStringId(previous_, kStrRecDefsPreviousField);
    next_ = new QPushButton(fieldGroup);
    next_->setObjectName("NextField");
    SetStringId(next_, kStrRecDefsNextField);
    navigation->addWidget(previous_);
    navigation->addWidget(next_);
    navigation->addStretch(1);
    grid->addLayout(navigation, 6, 0, 1, 4);
    top->addWidget(fieldGroup);

    auto* buttons = new QHBoxLayout;
    top->addLayout(buttons);
    keyButton_ = new QPushButton(this);
    keyButton_->setObjectName("KeyButton");
    SetStringId(keyButton_, kStrRecDefsKeystrokeList);
    asciiButton_ = new QPushButton(this);
    asciiButton_->setObjectName("AsciiButton");
    SetStringId(asciiButton_, kStrAsciiChartButton);
    buttons->addWidget(keyButton_);
    buttons->addWidget(asciiButton_);
    const OkCancelButtons row = AddOkCancelButtons(this, buttons, kStrRecDefsOk, kStrRecDefsCancel);
    ok_ = row.Ok;
    cancel_ = row.Cancel;
    // Enter in the text boxes must not end the editor: a button takes Enter only when it has
    // the focus (keyPressEvent), so no button is ever the default one.
    ok_->setDefault(false);
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);

    connect(ok_, &QPushButton::clicked, this, &RecDefs::Ok);
    connect(cancel_, &QPushButton::clicked, this, &RecDefs::Cancel);
    connect(next_, &QPushButton::clicked, this, &RecDefs::NextField);
    connect(previous_, &QPushButton::clicked, this, &RecDefs::PreviousField);
    connect(keyButton_, &QPushButton::clicked, this, &RecDefs::PickKeystroke);
    // The shared chart is only made when it is first asked for.
    connect(asciiButton_, &QPushButton::clicked, this, [this] {
        if (target_) PickIntoBox(chart_ ? *chart_ : AsciiChart::Shared(g_), *target_);
    });

    connect(preamble_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) g_.ConfigChanged = kTrue;
    });
    connect(fieldMacro_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) working_.Postamble[current_] = fieldMacro_->Value();
    });
    connect(fieldExpression_, &QLineEdit::textEdited, this,
            [this](const QString& text) { working_.Math[current_] = ToCodePage(text); });
    const auto storeFormat = [this] {
        if (!filling_) working_.Format[current_] = ToCodePage(fieldFormat_->currentText());
    };
    connect(fieldFormat_->lineEdit(), &QLineEdit::textEdited, this, storeFormat);
    connect(fieldFormat_, &QComboBox::activated, this, storeFormat);
    // Any way of choosing (keys, wheel, the list) counts; showing a field does not.
    connect(filterTypes_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling_)
            working_.Filter[current_] = FilterLetterAfterChoice(working_.Filter[current_], index);
    });
    connect(length_, &WizardNumericBox::digitsEdited, this, &RecDefs::OnLengthEdited);
}

void RecDefs::SetLabel(QLabel* label, int id) {
    SetStringId(label, id);
    label->setText(UiText(id));
}

void RecDefs::ShowByteCounter(bool shown, int recordLength) {
    counterShown_ = shown;
    recordLength_->setText(QString::number(recordLength));
    for (QLabel* l : {bytesLabel_, bytesDefined_, bytesOf_, recordLength_}) l->setVisible(shown);
}

void RecDefs::ShowNavigation(bool shown) {
    navigationShown_ = shown;
    previous_->setVisible(shown);
    next_->setVisible(shown);
}

void RecDefs::PrepareFieldEditor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    filling_ = true;
    for (int k = 0; k < kFilterEntries; ++k)
        filterTypes_->setItemText(k, UiText(kStrRecDefsFirstFilter + k));
    for (int k = 0; k < kNamedFormatEntries; ++k)
        fieldFormat_->setItemText(k, UiText(kStrFirstNamedFormat + k));
    preamble_->SetValue(g_.RecordPreamble);
    if (keystrokes_.RemoveNulEntry) keystrokes_.RemoveNulEntry();
    working_ = FieldDefinitionsOf(g_);
    context_ = FieldEditorContextOf(g_);

    // With the length box shown the math box moves right, beside it.
    const bool lengths = context_.RecordStructure == kFixedLengthFields;
    lengthLabel_->setVisible(lengths);
    length_->setVisible(lengths);
    mathGrid_->removeWidget(mathLabel_);
    mathGrid_->removeWidget(fieldExpression_);
    mathGrid_->addWidget(mathLabel_, kMathRow, lengths ? 2 : 0);
    mathGrid_->addWidget(fieldExpression_, kMathRow, lengths ? 3 : 1, 1, lengths ? 1 : 3);

    const FieldEditorTexts texts = FieldEditorTextsFor(g_.Mode);
    SetStringId(this, texts.CaptionId);
    setWindowTitle(UiText(texts.CaptionId));
    SetLabel(preambleLabel_, texts.PreambleLabelId);
    SetLabel(postambleLabel_, texts.PostambleLabelId);
    keyButton_->setVisible(texts.KeystrokeList);
    asciiButton_->setVisible(texts.AsciiChart);
    keyButton_->setEnabled(false);
    asciiButton_->setEnabled(false);
    target_ = nullptr;
    filling_ = false;

    ShowField(1);
    preamble_->setFocus();
    QApplication::restoreOverrideCursor();
}

void RecDefs::ShowField(int p) {
    filling_ = true;
    current_ = p;
    recordGroup_->setVisible(p == 1);
    previous_->setEnabled(PreviousFieldEnabled(p));
    next_->setEnabled(NextFieldEnabled(p, context_, working_));
    filterTypes_->setCurrentIndex(FilterIndexOf(working_.Filter[p]));
    lengthShown_ = QString::number(working_.Length[p]);
    length_->setText(lengthShown_);
    fieldFormat_->setCurrentText(FromCodePage(working_.Format[p]));
    fieldExpression_->setText(FromCodePage(working_.Math[p]));
    fieldMacro_->SetValue(working_.Postamble[p]);
    fieldName_->setText(QString::number(p));
    UpdateByteCounter();
    filling_ = false;
}

void RecDefs::UpdateByteCounter() {
    bytesDefined_->setText(QString::number(BytesDefined(working_)));
}

void RecDefs::RefuseLength(int messageId) {
    messages_.Beep();
    messages_.Show(LoadString(messageId), LoadString(kStrFieldLengthErrorTitle), MessageButtons::Ok,
                   MessageIcon::Exclamation);
    length_->setFocus();
}

void RecDefs::OnLengthEdited(const QString& text) {
    const int64_t value = NumericBoxValue(text.toStdString());
    if (FieldLengthTooLarge(value)) {
        // The box goes back to the length that is stored, so that the two cannot differ.
        RefuseLength(kStrFieldLengthRange);
        length_->setText(lengthShown_);
        return;
    }
    lengthShown_ = text;
    if (!FieldLengthsEdited(context_)) return;
    working_.Length[current_] = static_cast<int16_t>(value);
    UpdateByteCounter();
    if (context_.EndOfRecordEvent == kEndByByteCount)
        next_->setEnabled(NextFieldEnabled(current_, context_, working_));
}

void RecDefs::NextField() {
    if (NextFieldRefused(context_, NumericBoxValue(length_->text().toStdString()))) {
        RefuseLength(kStrFieldLengthRange);
        return;
    }
    if (current_ >= LastFieldNumber(context_)) return;
    ShowField(current_ + 1);
}

void RecDefs::PreviousField() {
    if (current_ <= 1) return;
    ShowField(current_ - 1);
    next_->setEnabled(NextFieldEnabledAfterPrevious(current_, context_));
    previous_->setEnabled(PreviousFieldEnabled(current_));
}

void RecDefs::Ok() {
    switch (CheckFieldEditorOk(context_, working_)) {
        case FieldEditorOkCheck::SumNotRecordLength:
            messages_.Beep();
            messages_.Show(LoadString(kStrFieldLengthSumWrong),
                           LoadString(kStrFieldLengthErrorTitle), MessageButtons::Ok,
                           MessageIcon::Exclamation);
            length_->setFocus();
            return;
        case FieldEditorOkCheck::FirstFieldEmpty:
            ShowField(1);
            RefuseLength(kStrFieldLengthRange);
            return;
        case FieldEditorOkCheck::Ok:
            break;
    }
    StoreFieldDefinitions(g_, working_, preamble_->Value());
    if (keystrokes_.RestoreNulEntry) keystrokes_.RestoreNulEntry();
    ShowField(1);
    QDialog::accept();
}

void RecDefs::Cancel() {
    if (keystrokes_.RestoreNulEntry) keystrokes_.RestoreNulEntry();
    ShowField(1);
    if (preamble_->isVisible()) preamble_->setFocus();
    QDialog::reject();
}

void RecDefs::reject() {
    Cancel();
}

void RecDefs::PickKeystroke() {
    if (!keystrokes_.Pick || !target_) return;
    ControlTextPlainEdit* into = target_;
    into->InsertPicked(keystrokes_.Pick(this));
}

void RecDefs::OnFocusChanged(QWidget* now) {
    if (!now) return;
    if (now == preamble_ || now == fieldMacro_) {
        target_ = static_cast<ControlTextPlainEdit*>(now);
        keyButton_->setEnabled(true);
        asciiButton_->setEnabled(true);
        return;
    }
    const bool fieldControl = now == filterTypes_ || now == length_ || now == fieldFormat_ ||
                              now == fieldFormat_->lineEdit() || now == fieldExpression_ ||
                              now == previous_ || now == next_;
    if (fieldControl) {
        keyButton_->setEnabled(false);
        asciiButton_->setEnabled(false);
    } else if (now == ok_ || now == cancel_) {
        keyButton_->setEnabled(false);
    }
}

void RecDefs::showEvent(QShowEvent* event) {
    // The button row makes its OK the default when it is shown; here no button is.
    QDialog::showEvent(event);
    ok_->setDefault(false);
}

void RecDefs::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && button->isEnabled()) button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool RecDefs::eventFilter(QObject* watched, QEvent* event) {
    if (watched == length_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                fieldMacro_->setFocus(Qt::TabFocusReason);
                return true;
            }
        } else if (event->type() == QEvent::FocusIn && length_->text().isEmpty()) {
            lengthShown_ = "0";
            length_->setText(lengthShown_);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quorvane
