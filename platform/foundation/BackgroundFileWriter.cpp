#include "platform/foundation/BackgroundFileWriter.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/FileManager.h"

namespace platform {

namespace {

constexpr const char* kAttachmentKey = "platform.BackgroundFileWriter";

// What the writer thread hands back to one loop: the writes that have
// ended, and an event descriptor that wakes the loop up for them. Shared by
// the thread and the loop, so it may end on either.
class Mailbox {
 public:
  Mailbox() : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Mailbox() {
    if (wakeUp_ >= 0) ::close(wakeUp_);
  }
  Mailbox(const Mailbox&) = delete;
  Mailbox& operator=(const Mailbox&) = delete;

  int descriptor() const { return wakeUp_; }

  void post(std::uint64_t write, bool written) {
    {
      std::lock_guard lock(mutex_);
      ended_.emplace_back(write, written);
    }
    const std::uint64_t one = 1;
    (void)!::write(wakeUp_, &one, sizeof one);
  }

  std::vector<std::pair<std::uint64_t, bool>> take() {
    std::uint64_t count = 0;
    (void)!::read(wakeUp_, &count, sizeof count);
    std::lock_guard lock(mutex_);
    return std::exchange(ended_, {});
  }

 private:
  int wakeUp_;
  std::mutex mutex_;
  std::vector<std::pair<std::uint64_t, bool>> ended_;
};

struct Job {
  std::string path;
  std::string bytes;
  FileManager::Durability durability = FileManager::Durability::Durable;
  std::uint64_t id = 0;
  std::weak_ptr<Mailbox> mailbox;
};

// The one writer thread, started on first use and never stopped.
class WriterThread {
 public:
  static WriterThread& shared() {
    static auto* writer = new WriterThread();
    return *writer;
  }

  void enqueue(Job job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wakeUp_.notify_one();
  }

 private:
  WriterThread() { std::thread([this] { run(); }).detach(); }

  [[noreturn]] void run() {
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex_);
        wakeUp_.wait(lock, [this] { return !jobs_.empty(); });
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      const bool written = FileManager::writeContentsAtomically(job.path, job.bytes, job.durability);
      if (auto mailbox = job.mailbox.lock()) mailbox->post(job.id, written);
    }
  }

  std::mutex mutex_;
  std::condition_variable wakeUp_;
  std::deque<Job> jobs_;
};

// The loop's side, kept as the loop's attachment: the completions waiting
// for their writes, each holding the loop's work in flight.
class LoopSide : public std::enable_shared_from_this<LoopSide> {
 public:
  explicit LoopSide(RunLoop& loop) : loop_(&loop), mailbox_(std::make_shared<Mailbox>()) {}
  ~LoopSide() {
    if (watch_ != 0) loop_->removeFdWatch(watch_);
  }
  LoopSide(const LoopSide&) = delete;
  LoopSide& operator=(const LoopSide&) = delete;

  // The loop's side, made on first use; nullptr when the loop cannot be
  // woken up from the writer thread.
  static std::shared_ptr<LoopSide> of(RunLoop& loop) {
    if (auto side = std::static_pointer_cast<LoopSide>(loop.attachment(kAttachmentKey))) return side;
    auto side = std::make_shared<LoopSide>(loop);
    if (side->mailbox_->descriptor() < 0) return nullptr;
    std::weak_ptr<LoopSide> weak = side;
    side->watch_ = loop.addFdWatch(side->mailbox_->descriptor(), RunLoop::kReadable, [weak](int, unsigned) {
      if (auto strong = weak.lock()) strong->deliver();
    });
    loop.setAttachment(kAttachmentKey, side);
    return side;
  }

  Job jobFor(std::string path, std::string bytes, FileManager::Durability durability,
             BackgroundFileWriter::Completion completion) {
    const std::uint64_t id = ++lastId_;
    pending_.emplace(id, Pending{std::move(completion), loop_->beginWorkInFlight()});
    return Job{std::move(path), std::move(bytes), durability, id, mailbox_};
  }

 private:
  struct Pending {
    BackgroundFileWriter::Completion completion;
    RunLoop::WorkInFlight inFlight;
  };

  void deliver() {
    auto protector = shared_from_this();
    for (const auto& [id, written] : mailbox_->take()) {
      auto found = pending_.find(id);
      if (found == pending_.end()) continue;
      Pending pending = std::move(found->second);
      pending_.erase(found);
      // A completion may ask for the next write, or destroy what it likes.
      if (pending.completion) pending.completion(written);
    }
  }

  RunLoop* loop_;
  std::shared_ptr<Mailbox> mailbox_;
  RunLoop::CallbackId watch_ = 0;
  std::uint64_t lastId_ = 0;
  std::map<std::uint64_t, Pending> pending_;
};

}  // namespace

void BackgroundFileWriter::writeContentsAtomically(std::string path, std::string bytes, Completion completion,
                                                   RunLoop& loop) {
  writeContentsAtomically(std::move(path), std::move(bytes), FileManager::Durability::Durable, std::move(completion),
                          loop);
}

void BackgroundFileWriter::writeContentsAtomically(std::string path, std::string bytes,
                                                   FileManager::Durability durability, Completion completion,
                                                   RunLoop& loop) {
  auto side = LoopSide::of(loop);
  if (!side) {
    // Without a way to hear back from the thread, the write is made here.
    const bool written = FileManager::writeContentsAtomically(path, bytes, durability);
    if (completion) loop.performSoon([completion, written] { completion(written); });
    return;
  }
  WriterThread::shared().enqueue(
      side->jobFor(std::move(path), std::move(bytes), durability, std::move(completion)));
}

}  // namespace platform
