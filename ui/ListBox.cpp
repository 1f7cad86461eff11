#include "ui/ListBox.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

constexpr int kEntryHeightRole = Qt::UserRole + 1;

// Transparent list look: white text with the icon at the left on whatever lies behind the list, the
// selected entry on a soft light band, the hovered one on a fainter band.
class TransparentItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QVariant height = index.data(kEntryHeightRole);
    if (height.isValid()) size.setHeight(height.toInt());
    return size;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF band = QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5);
    QColor fill;
    if (option.state & QStyle::State_Selected)
      fill = QColor(255, 255, 255, 46);
    else if (option.state & QStyle::State_MouseOver)
      fill = QColor(255, 255, 255, 18);
    if (fill.isValid()) {
      QPainterPath path;
      path.addRoundedRect(band, 5, 5);
      painter->fillPath(path, fill);
    }

    const bool enabled = option.state & QStyle::State_Enabled;
    int x = option.rect.left() + 6;
    const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    if (!icon.isNull()) {
      // Small entries keep a narrow rim, tall ones a wider one, so the icon never crowds the text.
      const int rowHeight = option.rect.height();
      const int iconHeight = std::max(8, rowHeight <= 24 ? rowHeight - 4 : rowHeight - 12);
      const QSize iconSize = icon.actualSize(QSize(iconHeight * 2, iconHeight));
      const QRect iconRect(QPoint(x, option.rect.top() + (option.rect.height() - iconSize.height()) / 2), iconSize);
      icon.paint(painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
      x = iconRect.right() + 9;
    }

    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid()) painter->setFont(qvariant_cast<QFont>(font));
    const QVariant foreground = index.data(Qt::ForegroundRole);
    QColor textColour = foreground.isValid() ? qvariant_cast<QBrush>(foreground).color() : QColor(Qt::white);
    if (!enabled) textColour.setAlphaF(textColour.alphaF() * 0.5f);
    painter->setPen(textColour);
    const QRect textRect(x, option.rect.top(), std::max(0, option.rect.right() - x - 4), option.rect.height());
    const QString text = painter->fontMetrics().elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                           textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
  }
};

}  // namespace

TListBox::TListBox(QWidget* parent) : QListWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setMouseTracking(true);
  setItemDelegate(new TransparentItemDelegate(this));
  // Transparent: neither the list nor its viewport fills a background (no style sheet, which would give
  // each list a style of its own to build).
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);

  // The item index is the highlighted entry. A click changes the selection once (the current row moves
  // first, while nothing is selected yet, so that signal would report a passing -1).
  connect(this, &QListWidget::itemSelectionChanged, this, [this] { SyncItemIndex(); });
  // Removing or inserting rows and resetting the model move the selected row without always saying so.
  connect(model(), &QAbstractItemModel::modelReset, this, [this] { SyncItemIndex(); });
  connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] { SyncItemIndex(); });
  connect(model(), &QAbstractItemModel::rowsInserted, this, [this] { SyncItemIndex(); });
  connect(this, &QListWidget::itemClicked, this, [this] { emit Clicked(this); });
  connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit DblClicked(this); });
}

TListBox::~TListBox() {
  // The base classes tear the items down after this body has run and report it through the signals
  // wired above: nobody may hear of a list that is already half gone.
  QObject::disconnect(model(), nullptr, this, nullptr);
  QObject::disconnect(this, nullptr, this, nullptr);
  blockSignals(true);
}

void TListBox::BeginUpdate() {
  if (FUpdateDepth++ == 0) setUpdatesEnabled(false);
}

void TListBox::EndUpdate() {
  if (FUpdateDepth == 0) return;
  if (--FUpdateDepth > 0) return;
  FLastIndex = ItemIndex();  // whatever happened inside the block is taken as it stands, silently
  setUpdatesEnabled(true);
}

int TListBox::ItemIndex() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void TListBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) {
    setCurrentRow(-1);
    clearSelection();
  } else {
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  }
  SyncItemIndex();
}

QString TListBox::ItemText(int index) const {
  if (index < 0 || index >= count())
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return item(index)->text();
}

void TListBox::Clear() {
  clear();
  SyncItemIndex();
}

void TListBox::AddEntry(const QString& text, const QIcon& icon, int fontSize, int height) {
  auto* entry = new QListWidgetItem(icon, text);
  QFont entryFont = font();
  entryFont.setPixelSize(fontSize);  // design sizes are pixels, like every other size of the window
  entry->setFont(entryFont);
  entry->setForeground(QColor(Qt::white));
  entry->setData(kEntryHeightRole, height);
  addItem(entry);
}

void TListBox::SetListHeight(int height) {
  FListHeight = std::max(0, height);
  setFixedHeight(FListHeight);
}

void TListBox::SyncItemIndex() {
  const int index = ItemIndex();
  if (index == FLastIndex) return;
  FLastIndex = index;
  if (!InUpdate()) emit Change(this);
}

QItemSelectionModel::SelectionFlags TListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  // A click on the selected entry keeps it selected (no Ctrl-click deselection): the list always shows
  // the camera or setting in use.
  QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
  if (index.isValid() && (flags & QItemSelectionModel::Deselect))
    flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
  return flags;
}
