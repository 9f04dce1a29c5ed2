#pragma once

// The import window: registration files and daily price files are imported here. It is opened
// in a mode (ImportMode), acted on when the window is first shown; the import's result message is
// kept for the caller to show after exec() returns.

#include "import/ImportRun.h"

#include <QDialog>

#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppServices;

namespace importer {
class LabelProgress;
}

class frmReadData final : public QDialog
{
    Q_OBJECT

public:
    frmReadData(AppServices &services, importer::ImportMode mode, QWidget *parent = nullptr);
    ~frmReadData() override;

    QLabel *Label2;
    QLineEdit *ReadDateji;
    QLabel *LabReadDateji;
    QPushButton *CmdJiUp;
    QPushButton *CmdJiDu;
    QLabel *Lbl3;
    QLineEdit *ReadDateitaru;
    QLabel *LabReadDateitaru;
    QPushButton *CmditarUp;
    QPushButton *CmditarDu;
    QCheckBox *ChkShinyo;
    QCheckBox *ChkMakeSyu;
    QPushButton *CmdReadData;
    QPushButton *CmdFileConvert;
    QPushButton *CmdClose;
    QLabel *LabFileName;
    QLabel *LabPa;

    // The message the caller shows once the window has closed: the result of the registration
    // import of the window's mode or of the daily import; empty when there is none.
    const QString &resultMessage() const { return m_resultMessage; }
    // The mode of the last registration import that completed in this window (none before one
    // did). After one in Registration or BeforeConversion mode, closing offers no deletions.
    std::optional<importer::ImportMode> registeredIn() const { return m_registeredIn; }
    // True while the daily import runs.
    bool isBusy() const;

    // Runs the action of the window's mode; called once, when the window is first shown.
    void Form_Activate();

    // Every way of closing ends here: refused while busy, otherwise the unload sequence.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void CmdReadData_Click();
    void CmdFileConvert_Click();
    void stepDate(QLineEdit *box, int days);
    // The checks both buttons make first (folders set, period valid); false when the run must not start.
    bool checkBeforeRun();
    importer::ImportResult runRegistration(importer::ImportMode mode);
    void startConverter();
    void offerDeletion();

    AppServices &m_services;
    std::unique_ptr<importer::LabelProgress> m_progress;
    const importer::ImportMode m_mode;
    QString m_resultMessage;
    std::optional<importer::ImportMode> m_registeredIn;
    bool m_activated = false;
    bool m_running = false; // a button's handler is running (it may yield)
    bool m_unloaded = false;
};
