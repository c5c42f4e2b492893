#include "verify_window.h"

#include "report/save_log.h"
#include "services/command_worker.h"
#include "session.h"
#include "widgets/shown_text.h"
#include "widgets/window_parts.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <cmath>

namespace orbisk {

VerifyWindow::VerifyWindow(Session& session, std::string title, std::string drive, QWidget* parent)
    : QDialog(parent), session_(session), title_(std::move(title)), drive_(std::move(drive)) {
    setObjectName("VerifyWindow");
    setWindowTitle("Orbisk [Verify]");
    MakeResizableWindow(this, 10500, 6600);
    setAttribute(Qt::WA_DeleteOnClose);
    caption_ = new QLabel(this);
    caption_->setObjectName("verifyCaption");
    caption_->setGeometry(12, 10, 676, 22);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("verifyBar");
    bar_->setTextVisible(false);
    bar_->setRange(0, 1000);
    bar_->setGeometry(12, 36, 676, 16);
    figures_ = new QLabel(this);
    figures_->setObjectName("verifyFigures");
    figures_->setGeometry(12, 56, 676, 22);
    results_ = new QTableWidget(0, 4, this);
    results_->setObjectName("verifyResults");
    results_->setHorizontalHeaderLabels({"判定", "パス", "詳細", "ほかにある場所"});
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->setSelectionBehavior(QAbstractItemView::SelectRows);
    results_->verticalHeader()->hide();
    results_->horizontalHeader()->setStretchLastSection(true);
    results_->setWordWrap(false);
    results_->setColumnWidth(0, 80);
    results_->setColumnWidth(1, 240);
    results_->setColumnWidth(2, 200);
    results_->setGeometry(12, 84, 676, 280);
    cancelButton_ = WhiteButton(this, "中止");
    cancelButton_->setObjectName("cancelVerifyButton");
    cancelButton_->setGeometry(12, 400, 80, 25);
    saveButton_ = WhiteButton(this, "保存");
    saveButton_->setObjectName("saveVerifyButton");
    saveButton_->setGeometry(100, 400, 80, 25);
    closeButton_ = WhiteButton(this, "閉じる");
    closeButton_->setObjectName("closeVerifyButton");
    closeButton_->setGeometry(608, 400, 80, 25);
    ResizeRules* rules = new ResizeRules;
    rules->add(caption_, ResizeRules::GrowRight);
    rules->add(bar_, ResizeRules::GrowRight);
    rules->add(figures_, ResizeRules::GrowRight);
    rules->add(results_, ResizeRules::GrowRight | ResizeRules::GrowDown);
    rules->add(cancelButton_, ResizeRules::MoveDown);
    rules->add(saveButton_, ResizeRules::MoveDown);
    rules->add(closeButton_, ResizeRules::MoveRight | ResizeRules::MoveDown);
    rules_.reset(rules);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { worker_->requestStop(); });
    connect(saveButton_, &QPushButton::clicked, this, &VerifyWindow::save);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    worker_ = new CommandWorker(this);
    connect(worker_, &CommandWorker::finished, this, [this] { finish(run_); });
    connect(&ticks_, &QTimer::timeout, this, &VerifyWindow::showProgress);
    start();
}

VerifyWindow::~VerifyWindow() = default;

void VerifyWindow::showModal() {
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    show();
}

bool VerifyWindow::running() const {
    return worker_->running();
}

void VerifyWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (rules_) {
        rules_->follow(size());
    }
}

void VerifyWindow::start() {
    run_ = std::make_shared<VerifyRun>();
    caption_->setText(Shown("「" + title_ + "」を検査中..."));
    setRunning(true);
    worker_->start([run = run_, files = &session_.platform.files, file = session_.catalogFile,
                    title = title_, drive = drive_](std::stop_token stop) {
        run->work(*files, file, title, drive, std::move(stop));
    });
    ticks_.start(250);
}

void VerifyWindow::setRunning(bool running) {
    cancelButton_->setEnabled(running);
    saveButton_->setEnabled(!running && !log_.empty());
    closeButton_->setEnabled(!running);
}

void VerifyWindow::showProgress() {
    const double bytes = static_cast<double>(run_->counters.bytes.load());
    const double total = static_cast<double>(run_->totalBytes.load());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - run_->start).count();
    const double speed = seconds > 0 ? bytes / seconds : 0;
    const double left = speed > 0 && total > bytes ? (total - bytes) / speed : 0;
    const auto mb = [](double value) { return QString::number(value / 1e6, 'f', 1); };
    bar_->setValue(total > 0 ? static_cast<int>(std::lround(1000 * std::min(1.0, bytes / total)))
                             : 0);
    figures_->setText(QString("%1 / %2 MB、%3 / %4 ファイル、%5 MB/秒、残り %6 秒")
                          .arg(mb(bytes), mb(total))
                          .arg(run_->counters.files.load())
                          .arg(run_->totalFiles.load())
                          .arg(mb(speed))
                          .arg(std::llround(left)));
}

void VerifyWindow::finish(std::shared_ptr<VerifyRun> run) {
    ticks_.stop();
    showProgress();
    const VerificationCounts& c = run->counts;
    std::string summary = "「" + title_ + "」: 同じ " + std::to_string(c.same) + "、変更 " +
                          std::to_string(c.changed) + "、読めない " + std::to_string(c.unreadable) +
                          "、ない " + std::to_string(c.missing) + "、カタログにない " +
                          std::to_string(c.unlisted);
    if (run->stopped) {
        summary += "。検査を中止しました (未検査 " + std::to_string(c.cancelled) + ")";
    }
    caption_->setText(run->refusal ? QString() : Shown(summary));
    log_ = run->refusal ? std::string() : summary + "\r\n";
    results_->setRowCount(static_cast<int>(run->lines.size()));
    int row = 0;
    for (const VerifyLine& line : run->lines) {
        const std::string verdict = VerdictText(line.verdict);
        const std::string cells[] = {verdict, line.path, line.detail, line.elsewhere};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(Shown(cells[column]));
            item->setToolTip(Shown(cells[column]));
            results_->setItem(row, column, item);
        }
        log_ += verdict + "\t" + line.path + "\t" + line.detail + "\t" + line.elsewhere + "\r\n";
        ++row;
    }
    setRunning(false);
    if (closeAfterRun_) {
        close();
        return;
    }
    if (run->refusal) {
        session_.platform.dialogs.message(*run->refusal, Buttons::Ok);
    } else if (run->notKept) {
        session_.platform.dialogs.message(*run->notKept, Buttons::Ok);
    } else if (!run->stopped) {
        emit verificationKept();
    }
}

void VerifyWindow::save() {
    SaveLog(session_.platform, log_);
}

void VerifyWindow::reject() {
    if (!worker_->running()) {
        QDialog::reject();
        return;
    }
    if (closeAfterRun_) {
        return; // asked already; the run is stopping
    }
    const Notice question{MessageId::ProgramName,
                          {Verbatim("検査中です。検査を中止して閉じますか？")}};
    if (session_.platform.dialogs.message(question, Buttons::OkCancel) != Answer::Ok) {
        return;
    }
    closeAfterRun_ = true;
    if (worker_->running()) {
        worker_->requestStop();
    } else {
        close(); // it ended while the question was open
    }
}

} // namespace orbisk
