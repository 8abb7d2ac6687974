// The cells the bus monitor draws through CachedTextDelegate: the text in
// the item's colour, where its alignment puts it, and again from the kept
// layout on the next repaint; backgrounds, selection and focus as Qt's
// delegate draws them.
#include "ui/cached_text_delegate.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include "widget_helpers.h"

namespace tarn::testing {
namespace {

bool reddish(const QColor& c) {
    return c.red() > 150 && c.green() < 110 && c.blue() < 110;
}

// The leftmost and rightmost columns of `area` holding a pixel darker than
// the background.
std::pair<int, int> inkColumns(const QImage& image, const QRect& area) {
    int first = -1;
    int last = -1;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() + pixel.green() + pixel.blue() < 3 * 160) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

TEST(CachedTextDelegate, DrawsTheTextInItsColourAndAlignmentOnEveryRepaint) {
    QStandardItemModel model(2, 1);
    auto* error = new QStandardItem(QStringLiteral("Таймаут ИМЯ"));
    error->setForeground(QColor(Qt::red));
    model.setItem(0, 0, error);
    auto* number = new QStandardItem(QStringLiteral("1234"));
    number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    model.setItem(1, 0, number);

    QTableView view;
    view.setModel(&model);
    view.setItemDelegate(new CachedTextDelegate(&view));
    view.setColumnWidth(0, 300);
    view.resize(360, 160);
    ASSERT_TRUE(showAndActivate(view));

    // Twice: the second picture comes from the kept layouts.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        const QImage picture = view.viewport()->grab().toImage();
        const QRect errorCell = view.visualRect(model.index(0, 0));
        const QRect numberCell = view.visualRect(model.index(1, 0));
        bool red = false;
        for (int y = errorCell.top(); y <= errorCell.bottom() && !red; ++y) {
            for (int x = errorCell.left(); x <= errorCell.right() && !red; ++x) {
                red = reddish(picture.pixelColor(x, y));
            }
        }
        EXPECT_TRUE(red);
        const QColor darkest = darkestPixel(picture, numberCell);
        EXPECT_LT(darkest.red() + darkest.green() + darkest.blue(), 3 * 100);
        EXPECT_FALSE(reddish(darkest));
        // Right-aligned: the ink sits at the cell's right end.
        const auto [first, last] = inkColumns(picture, numberCell.adjusted(1, 1, -2, -2));
        ASSERT_GE(first, 0);
        EXPECT_GT(first, numberCell.center().x());
        EXPECT_GT(last, numberCell.right() - 20);
        view.viewport()->update();
        QApplication::processEvents();
    }
}

// Plain cells on alternating rows, a cell with a brush of its own, a
// selected row and the current cell: without texts, the table looks the
// same whichever delegate draws it.
TEST(CachedTextDelegate, DrawsBackgroundsSelectionAndFocusAsQtsDelegate) {
    QStandardItemModel model(8, 3);
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            model.setItem(row, column, new QStandardItem);
        }
    }
    model.item(1, 0)->setBackground(QColor(Qt::yellow));
    const auto picture = [&model](bool cached) {
        QTableView view;
        view.setModel(&model);
        if (cached) {
            view.setItemDelegate(new CachedTextDelegate(&view));
        } else {
            view.setItemDelegate(new QStyledItemDelegate(&view));
        }
        view.setAlternatingRowColors(true);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.resize(360, 260);
        if (!showAndActivate(view)) {
            return QImage();
        }
        view.selectionModel()->select(model.index(4, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view.selectionModel()->setCurrentIndex(model.index(2, 1), QItemSelectionModel::NoUpdate);
        view.setFocus();
        QApplication::processEvents();
        return view.viewport()->grab().toImage();
    };
    const QImage ours = picture(true);
    const QImage qts = picture(false);
    ASSERT_FALSE(ours.isNull());
    EXPECT_EQ(ours, qts);
}

}  // namespace
}  // namespace tarn::testing
