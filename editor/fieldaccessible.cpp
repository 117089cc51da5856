// SPDX-License-Identifier: MIT
// The field as a table of 13 x 13 cells for screen readers, and what they are told.
#include "fieldaccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <array>

#include "picturebox.h"
#include "render/imagelist.h"

namespace korrin::editor {

namespace {

constexpr int kSide = map::kFieldSize;
constexpr int kCells = kSide * kSide;

// Child index of the cell at column x, row y (1 .. 13 each): row by row, as tables count.
int indexOf(int x, int y) {
    return (y - 1) * kSide + (x - 1);
}

QRect cellBounds(const PictureBox* field, int x, int y) {
    const QPoint topLeft((x - 1) * render::kCellPixels, (y - 1) * render::kCellPixels);
    return {field->mapToGlobal(topLeft), QSize(render::kCellPixels, render::kCellPixels)};
}

/** One cell of the field: its name gives column, row and the tile the field shows there. */
class FieldCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    FieldCell(PictureBox* field, int x, int y) : field_(field), x_(x), y_(y) {}

    bool isValid() const override { return field_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return field_ ? field_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(field_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !field_) {
            return {};
        }
        return QStringLiteral("Столбец %1, строка %2: %3")
            .arg(x_)
            .arg(y_)
            .arg(render::tileName(field_->cellsShown()(x_, y_)));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return field_ ? cellBounds(field_, x_, y_) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.focused = field_ && field_->hasFocus() && field_->keyboardCell() == QPoint(x_, y_);
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return x_ - 1; }
    int rowIndex() const override { return y_ - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<PictureBox> field_;
    int x_;
    int y_;
};

/** The field as a table; its cells are made on first use and live as long as it does. */
class FieldTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit FieldTable(PictureBox* field) : QAccessibleWidget(field, QAccessible::Table) {}
    ~FieldTable() override {
        for (const QAccessible::Id id : cellIds_) {
            if (id != 0) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }
    FieldTable(const FieldTable&) = delete;
    FieldTable& operator=(const FieldTable&) = delete;

    int childCount() const override { return kCells; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < kCells ? cell(index % kSide + 1, index / kSide + 1) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) {  // as Qt's own interfaces answer
            return -1;
        }
        const auto* tableCell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        return tableCell && child->parent() == this
                   ? indexOf(tableCell->columnIndex() + 1, tableCell->rowIndex() + 1)
                   : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = field()->mapFromGlobal(QPoint(x, y));
        const int column = at.x() / render::kCellPixels + 1;
        const int row = at.y() / render::kCellPixels + 1;
        const bool inside = at.x() >= 0 && at.y() >= 0 && column <= kSide && row <= kSide;
        return inside ? cell(column, row) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QPoint at = field()->keyboardCell();
        return field()->hasFocus() ? cell(at.x(), at.y()) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                : QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const bool inside = row >= 0 && row < kSide && column >= 0 && column < kSide;
        return inside ? cell(column + 1, row + 1) : nullptr;
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override {
        return QStringLiteral("Столбец %1").arg(column + 1);
    }
    QString rowDescription(int row) const override {
        return QStringLiteral("Строка %1").arg(row + 1);
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return kSide; }
    int rowCount() const override { return kSide; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    PictureBox* field() const { return static_cast<PictureBox*>(widget()); }

    QAccessibleInterface* cell(int x, int y) const {
        QAccessible::Id& id = cellIds_[static_cast<std::size_t>(indexOf(x, y))];
        if (id == 0) {
            id = QAccessible::registerAccessibleInterface(new FieldCell(field(), x, y));
        }
        return QAccessible::accessibleInterface(id);
    }

    mutable std::array<QAccessible::Id, kCells> cellIds_{};
};

QAccessibleInterface* fieldFactory(const QString& className, QObject* object) {
    auto* field = qobject_cast<PictureBox*>(object);
    return field && className == QLatin1String(PictureBox::staticMetaObject.className())
               ? new FieldTable(field)
               : nullptr;
}

}  // namespace

void installFieldAccessibility() {
    // Once: Qt keeps every factory it is given and asks each in turn.
    static const bool installed = (QAccessible::installFactory(fieldFactory), true);
    Q_UNUSED(installed);
}

QList<int> changedCells(const map::Grid& before, const map::Grid& after) {
    QList<int> changed;
    for (int y = 1; y <= kSide; ++y) {
        for (int x = 1; x <= kSide; ++x) {
            if (before(x, y) != after(x, y)) {
                changed.append(indexOf(x, y));
            }
        }
    }
    return changed;
}

void announceFieldChanges(PictureBox* field) {
    QObject::connect(field, &PictureBox::cellsShownChanged, field,
                     [field](const map::Grid& before) {
                         for (const int index : changedCells(before, field->cellsShown())) {
                             QAccessibleEvent event(field, QAccessible::NameChanged);
                             event.setChild(index);
                             QAccessible::updateAccessibility(&event);
                         }
                     });
    QObject::connect(field, &PictureBox::focusedCellChanged, field, [field] {
        if (field->hasFocus()) {
            QAccessibleEvent event(field, QAccessible::Focus);
            event.setChild(indexOf(field->keyboardCell().x(), field->keyboardCell().y()));
            QAccessible::updateAccessibility(&event);
        }
    });
}

}  // namespace korrin::editor
