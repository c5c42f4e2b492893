#include "services/command_worker.h"

namespace orbisk {

CommandWorker::CommandWorker(QObject* parent) : QObject(parent) {}

CommandWorker::~CommandWorker() {
    stop_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CommandWorker::start(std::function<void(std::stop_token)> job) {
    if (thread_.joinable()) {
        thread_.join(); // the last command has said it is finished: its thread is ending
    }
    running_ = true;
    stop_ = std::stop_source();
    thread_ = std::thread([this, job = std::move(job), stop = stop_.get_token()] {
        job(stop);
        post([this] {
            running_ = false;
            emit finished();
        });
    });
}

void CommandWorker::post(std::function<void()> call) {
    // Calls for this object are dropped with it: none reaches a window that is gone.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

Answer WorkerDialogs::message(const Notice& notice, Buttons buttons) {
    // The question may outlive this object when a stop ends the wait: it holds the dialogs.
    return worker_.ask<Answer>(
        [=, dialogs = &dialogs_] { return dialogs->message(notice, buttons); }, Answer::Cancel);
}

std::string WorkerDialogs::askSaveFileName(const Message& filter, const std::string& suggested) {
    return worker_.ask<std::string>(
        [=, dialogs = &dialogs_] { return dialogs->askSaveFileName(filter, suggested); }, "");
}

std::string WorkerDialogs::askOpenFileName(MessageId title, const Message& filter,
                                           const std::string& start) {
    return worker_.ask<std::string>(
        [=, dialogs = &dialogs_] { return dialogs->askOpenFileName(title, filter, start); }, "");
}

std::optional<std::string> WorkerDialogs::askText(const Notice& question,
                                                  const std::string& initial) {
    return worker_.ask<std::optional<std::string>>(
        [=, dialogs = &dialogs_] { return dialogs->askText(question, initial); }, std::nullopt);
}

} // namespace orbisk
