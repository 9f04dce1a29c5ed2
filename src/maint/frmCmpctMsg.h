#pragma once

// The small window shown while the database is compacted and backed up at the end of the program.

#include <QWidget>

class QLabel;

class frmCmpctMsg final : public QWidget
{
    Q_OBJECT

public:
    explicit frmCmpctMsg(QWidget *parent = nullptr);

    QLabel *Label1;

protected:
    void paintEvent(QPaintEvent *event) override;
};
