#include "ui/MessageUnit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <cmath>
#include <memory>

#include "ui/Fonts.h"

namespace {

constexpr QSize kClientSize(439, 240);
constexpr int kBottomMargin = 50;
constexpr QSize kTextSize(350, 150);
const QRect kButton1Place(180, 182, 80, 30);
const QRect kButton2Place(291, 182, 80, 30);
constexpr int kResultButton1 = 1;
constexpr int kResultButton2 = 2;

TMessageForm::AutoAnswer& AutoAnswerSlot() {
  static TMessageForm::AutoAnswer answer;
  return answer;
}

const QString kStyle = QStringLiteral(
    "TMessageForm { background: #615FAD; }"
    "QLabel#Label1 { color: #FFFFFF; }"
    "QFrame#Rectangle1, QFrame#Rectangle2 { background: #4C4A96; border: 1px solid rgba(255, 255, 255, 110);"
    " border-radius: 5px; }"
    "QPushButton { background: transparent; color: #FFFFFF; border: 2px solid transparent; border-radius: 5px; }"
    "QPushButton:hover { background: rgba(255, 255, 255, 38); }"
    "QPushButton:pressed { background: rgba(0, 0, 0, 45); }"
    "QPushButton:focus { border-color: rgba(255, 255, 255, 210); }");

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& place) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(place);
  QFont font(kWindowFontFamily, 11);
  font.setBold(true);
  button->setFont(font);
  return button;
}

QFrame* MakeRectangle(QWidget* parent, const char* name, const QRect& place) {
  auto* rectangle = new QFrame(parent);
  rectangle->setObjectName(QLatin1String(name));
  rectangle->setGeometry(place);
  return rectangle;
}

enum class MessageKind { Question, Notice };

bool RunMessage(TMessageForm* form, const QWidget* mainWindow, const QString& message, MessageKind kind) {
  // Callers may ask before the shared window exists (start-up): a window of their own serves then.
  std::unique_ptr<TMessageForm> standIn;
  if (!form) {
    standIn = std::make_unique<TMessageForm>();
    form = standIn.get();
  }
  const bool question = kind == MessageKind::Question;
  form->CentreOver(mainWindow);
  form->setWindowTitle(question ? QStringLiteral("Confirm") : QStringLiteral("Information"));
  form->Label1->setText(message);
  // Set up anew every time: a notice after a question (or the reverse) must not inherit its buttons.
  form->Button1->setText(question ? QStringLiteral("Yes") : QStringLiteral("Ok"));
  form->Button2->setVisible(question);
  form->Rectangle2->setVisible(question);
  (question ? form->Button2 : form->Button1)->setFocus();
  const int result = form->ShowModal();
  form->hide();
  return result == kResultButton1;
}

}  // namespace

TMessageForm::TMessageForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("MessageForm"));
  // A tool window with a title but no title-bar buttons: it closes through its buttons only.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QStringLiteral("Form1"));
  setFixedSize(kClientSize);
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(kStyle);

  // Created first, so they lie behind the buttons.
  Rectangle1 = MakeRectangle(this, "Rectangle1", kButton1Place);
  Rectangle2 = MakeRectangle(this, "Rectangle2", kButton2Place);

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setTextFormat(Qt::PlainText);  // messages carry camera names, which are not markup
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  Label1->setFont(QFont(kWindowFontFamily, 13));
  Label1->setGeometry((kClientSize.width() - kTextSize.width()) / 2,
                      (kClientSize.height() - kBottomMargin - kTextSize.height()) / 2, kTextSize.width(),
                      kTextSize.height());

  Button1 = MakeButton(this, "Button1", QStringLiteral("&Yes"), kButton1Place);
  Button2 = MakeButton(this, "Button2", QStringLiteral("No"), kButton2Place);
  Button2->setDefault(true);

  connect(Button1, &QPushButton::clicked, this, [this] {
    Button1Click();
    done(kResultButton1);
  });
  connect(Button2, &QPushButton::clicked, this, [this] {
    Button2Click();
    done(kResultButton2);
  });
}

void TMessageForm::SetAutoAnswer(AutoAnswer answer) { AutoAnswerSlot() = std::move(answer); }

bool TMessageForm::HasAutoAnswer() { return static_cast<bool>(AutoAnswerSlot()); }

int TMessageForm::ShowModal() {
  struct HideOnExit {
    TMessageForm& form;
    ~HideOnExit() { form.hide(); }
  } hideOnExit{*this};

  // A copy: the handler may install the next answer while it runs.
  const AutoAnswer answer = AutoAnswerSlot();
  if (!answer) return exec();
  setResult(0);
  show();
  const int result = answer(*this);
  setResult(result);
  return result;
}

void TMessageForm::CentreOver(const QWidget* over) {
  QRect owner;
  if (over) {
    owner = over->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    owner = screen->availableGeometry();
  } else {
    return;
  }
  // The frame is known once the window exists on the screen; before that only the client area is.
  if (!testAttribute(Qt::WA_WState_Created)) winId();
  const QRect own = frameGeometry();
  move(CentredCoordinate(owner.x(), owner.width(), own.width()),
       CentredCoordinate(owner.y(), owner.height(), own.height()));
}

int CentredCoordinate(int ownerStart, int ownerExtent, int extent) {
  return static_cast<int>(std::trunc(ownerStart + (static_cast<double>(ownerExtent) - extent) / 2.0));
}

bool MessageDlgSimple(TMessageForm* form, const QWidget* mainWindow, const QString& message) {
  return RunMessage(form, mainWindow, message, MessageKind::Question);
}

bool ShowMessageSimple(TMessageForm* form, const QWidget* mainWindow, const QString& message) {
  return RunMessage(form, mainWindow, message, MessageKind::Notice);
}
