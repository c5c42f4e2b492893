#pragma once

#include "platform/dialogs.h"

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace orbisk {

// Runs one long command (a registration, a copy) on a thread of its own, so that the
// window that started it stays responsive: it shows what the command reports and its close
// box answers. What the command shows is handed to the window's thread in the order it was
// said; a question waits on the worker for the window's answer. A stop is asked through the
// command's stop token.
class CommandWorker : public QObject {
    Q_OBJECT
public:
    explicit CommandWorker(QObject* parent = nullptr);
    // Asks a stop and waits for the command: a question it is waiting on is then answered
    // as if cancelled.
    ~CommandWorker() override;

    // Starts job on the worker's thread; finished() comes on this object's thread after it.
    void start(std::function<void(std::stop_token)> job);
    bool running() const { return running_; }
    void requestStop() { stop_.request_stop(); }

    // From the worker: runs call on this object's thread, after everything posted before.
    void post(std::function<void()> call);
    // From the worker: runs call on this object's thread and waits for its result; the result
    // is ifStopped once a stop is asked.
    template <class Result> Result ask(std::function<Result()> call, Result ifStopped) {
        struct Reply {
            std::mutex lock;
            std::condition_variable_any ready;
            std::optional<Result> result;
        };
        const std::stop_token stop = stop_.get_token();
        if (stop.stop_requested()) {
            return ifStopped; // nobody is to be asked for a command that is stopping
        }
        const auto reply = std::make_shared<Reply>();
        post([reply, call = std::move(call)] {
            Result result = call();
            const std::lock_guard held(reply->lock);
            reply->result = std::move(result);
            reply->ready.notify_all();
        });
        std::unique_lock held(reply->lock);
        reply->ready.wait(held, stop, [&reply] { return reply->result.has_value(); });
        // An answer given as the stop was asked (a close during the question) is not taken.
        return stop.stop_requested() ? ifStopped : std::move(*reply->result);
    }

signals:
    void finished();

private:
    // Made before the thread starts, so that the worker never reads it while it is set.
    std::stop_source stop_;
    std::thread thread_;
    bool running_ = false;
};

// The dialogs of the window's thread, asked from the worker: each question is shown there
// and the worker waits for its answer.
class WorkerDialogs : public Dialogs {
public:
    WorkerDialogs(CommandWorker& worker, Dialogs& dialogs) : worker_(worker), dialogs_(dialogs) {}

    Answer message(const Notice& notice, Buttons buttons) override;
    std::string askSaveFileName(const Message& filter, const std::string& suggested) override;
    std::string askOpenFileName(MessageId title, const Message& filter,
                                const std::string& start) override;
    std::optional<std::string> askText(const Notice& question, const std::string& initial) override;

private:
    CommandWorker& worker_;
    Dialogs& dialogs_;
};

} // namespace orbisk
