#pragma once

#include "shell/CommandHost.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

namespace tabrivel {

// A progress bar whose text is a caption of its own rather than a percentage.
//
// The caption changes with every record of a conversion, far more often than the bar
// is painted, so the row caption is kept as its parts and written out only when the
// bar paints; what any paint shows is always the latest caption. Repaints for a changed
// caption come at most every kRepaintIntervalMs: painting the bar costs more than a
// thousand records' statements, and nobody reads captions faster. A caption is shown
// exactly as given: a "%" in a file name is never taken for a placeholder.
class CaptionedProgressBar : public QProgressBar, public ProgressDisplay {
public:
    static constexpr int kRepaintIntervalMs = 40;

    explicit CaptionedProgressBar(QString caption, QWidget* parent = nullptr);

    void setValue(int percent) override { QProgressBar::setValue(percent); }
    void setCaption(const QString& caption) override;
    void setRowCaption(qint64 row, const QString& fileName) override;

    QString caption() const { return text(); }
    QString text() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();

    QString caption_;
    QString rowFile_;
    qint64 row_ = 0;
    bool showsRow_ = false;
    bool repaintAsked_ = false;
    QElapsedTimer sincePaint_;
    // Brings the latest caption to the screen when a change came too soon after a paint.
    QTimer lateRepaint_;
};

} // namespace tabrivel
