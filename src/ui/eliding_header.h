// The column header of the parameter tree: a title too long for its column
// is cut at the end with "…" on one line, never wrapped onto a second line
// that the header's height would hide.
#pragma once

#include <QHeaderView>

namespace tarn {

class ElidingHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit ElidingHeader(QWidget* parent = nullptr);

    // The title as the header draws it in its section now.
    QString shownTitle(int logicalIndex) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QString elided(const QStyleOptionHeader& option) const;
};

}  // namespace tarn
