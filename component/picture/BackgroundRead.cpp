#include "component/picture/BackgroundRead.h"

#include <atomic>
#include <optional>
#include <string>
#include <utility>

#include "common/ComError.h"
#include "component/com/ErrorInfo.h"
#include "component/picture/FetchWorkers.h"
#include "component/picture/PictureDownload.h"
#include "component/picture/ThreadInbox.h"

namespace pelzorvick {
namespace {

std::atomic<std::chrono::milliseconds::rep> g_deadline{kPictureDownloadDeadline.count()};

// The completion as the control reads it.
class FinishedRead : public AsyncReadResult {
 public:
  FinishedRead(std::u16string_view name, PicturePtr picture, std::optional<ComError> error)
      : name_(name), picture_(std::move(picture)), error_(std::move(error)) {}
  std::u16string PropertyName() const override { return name_; }
  PicturePtr Value() const override {
    if (error_) throw *error_;
    return picture_;
  }

 private:
  std::u16string name_;
  PicturePtr picture_;
  std::optional<ComError> error_;
};

std::optional<ComError> Failure(int32_t code, std::u16string_view text) {
  return ComError(code, std::u16string(text));
}

}  // namespace

// Shared by the reader, the worker and the inbox's task. `recipient` and
// the inbox are the asking thread's alone; the worker writes its result
// before it posts the task that reads it.
struct BackgroundRead::Job {
  std::unique_ptr<PictureDownload> download;
  std::u16string name;
  ReadRecipient* recipient;  // null once forgotten
  std::shared_ptr<ThreadInbox> inbox;
  std::atomic<bool> abandoned{false};
  std::string data;
  std::optional<ComError> error;

  // On the worker, which hands its reference on with the task: the job, and
  // the inbox with it, must end on the asking thread.
  static void Fetch(std::shared_ptr<Job> job) {
    job->error = Translated(
        [&] {
          job->data = job->download->Fetch(job->abandoned);
          return std::optional<ComError>();
        },
        Failure);
    job->download.reset();
    // A thread that is gone takes no task; the job then ends here.
    ThreadInbox& inbox = *job->inbox;
    inbox.Post([job = std::move(job)] { job->Deliver(); });
  }

  // On the asking thread.
  void Deliver() {
    ReadRecipient* to = std::exchange(recipient, nullptr);
    if (!to) return;
    PicturePtr picture;
    if (!error) {
      error = Translated(
          [&] {
            picture = PictureDownload::Decode(data);
            return std::optional<ComError>();
          },
          Failure);
    }
    data = std::string();
    to->ReadFinished(FinishedRead(name, std::move(picture), std::move(error)));
  }
};

std::unique_ptr<BackgroundRead> BackgroundRead::Start(std::u16string_view target, std::u16string_view name,
                                                     ReadRecipient& recipient) {
  auto job = std::make_shared<Job>();
  job->download = PictureDownload::Start(target, std::chrono::milliseconds(g_deadline.load()));
  job->name = name;
  job->recipient = &recipient;
  job->inbox = ThreadInbox::ForThisThread();
  RunFetch([job]() mutable { Job::Fetch(std::move(job)); });
  return std::unique_ptr<BackgroundRead>(new BackgroundRead(std::move(job)));
}

BackgroundRead::BackgroundRead(std::shared_ptr<Job> job) : job_(std::move(job)) {}

BackgroundRead::~BackgroundRead() {
  job_->recipient = nullptr;
  job_->abandoned = true;
}

void SetBackgroundReadDeadline(std::chrono::milliseconds deadline) { g_deadline = deadline.count(); }

}  // namespace pelzorvick
