#pragma once
// A picture read that runs off the thread that asks for it: the fetch on a
// worker (FetchWorkers.h), the completion, picture or failure, back on the
// asking thread through its inbox (ThreadInbox.h), decoded there.

#include <chrono>
#include <memory>
#include <string_view>

#include "component/seams/ContainerServices.h"

namespace pelzorvick {

// Hears of the completion, on the thread that started the read.
class ReadRecipient {
 public:
  virtual ~ReadRecipient() = default;
  virtual void ReadFinished(const AsyncReadResult& read) = 0;
};

class BackgroundRead {
 public:
  // Checks the address here (throws ComError as PictureDownload::Start
  // does, or when no worker or inbox can be had) and starts the fetch;
  // `recipient` hears of it once, unless this is destroyed first.
  static std::unique_ptr<BackgroundRead> Start(std::u16string_view target, std::u16string_view name,
                                               ReadRecipient& recipient);
  // Forgets the read: nothing reaches the recipient from now on, and the
  // fetch ends at its next step (at the latest by its deadline).
  ~BackgroundRead();
  BackgroundRead(const BackgroundRead&) = delete;
  BackgroundRead& operator=(const BackgroundRead&) = delete;

 private:
  struct Job;
  explicit BackgroundRead(std::shared_ptr<Job> job);
  std::shared_ptr<Job> job_;
};

// The deadline of the reads started from now on, kPictureDownloadDeadline
// unless a test shortens it; the library never changes it.
void SetBackgroundReadDeadline(std::chrono::milliseconds deadline);

}  // namespace pelzorvick
