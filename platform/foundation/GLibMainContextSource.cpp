#include "platform/foundation/GLibMainContextSource.h"

namespace platform {

namespace {

constexpr const char* kAttachmentKey = "glib-main-context";

}  // namespace

std::shared_ptr<GLibMainContextSource> GLibMainContextSource::create() {
  GMainContext* context = g_main_context_default();
  if (!g_main_context_acquire(context)) return nullptr;
  return std::make_shared<GLibMainContextSource>(Passkey{}, context);
}

std::shared_ptr<GLibMainContextSource> GLibMainContextSource::attachTo(RunLoop& loop) {
  if (auto existing = std::static_pointer_cast<GLibMainContextSource>(loop.attachment(kAttachmentKey))) {
    return existing;
  }
  auto source = create();
  if (!source) return nullptr;
  loop.addSource(source);
  loop.setAttachment(kAttachmentKey, source);
  return source;
}

void GLibMainContextSource::detachFrom(RunLoop& loop) {
  auto existing = loop.attachment(kAttachmentKey);
  if (!existing) return;
  loop.removeSource(static_cast<const GLibMainContextSource*>(existing.get()));
  loop.setAttachment(kAttachmentKey, nullptr);
}

GLibMainContextSource::GLibMainContextSource(Passkey, GMainContext* context) : context_(context) {}

GLibMainContextSource::~GLibMainContextSource() { g_main_context_release(context_); }

int GLibMainContextSource::prepare(std::vector<pollfd>& fds) {
  const bool ready = g_main_context_prepare(context_, &priority_);
  gint timeout = -1;
  if (pollFds_.empty()) pollFds_.resize(8);
  for (;;) {
    const gint needed =
        g_main_context_query(context_, priority_, &timeout, pollFds_.data(), static_cast<gint>(pollFds_.size()));
    if (needed <= static_cast<gint>(pollFds_.size())) {
      pollFds_.resize(static_cast<std::size_t>(needed));
      break;
    }
    pollFds_.resize(static_cast<std::size_t>(needed));
  }
  for (const auto& fd : pollFds_) fds.push_back(pollfd{fd.fd, static_cast<short>(fd.events), 0});
  prepared_ = true;
  return ready ? 0 : timeout;
}

bool GLibMainContextSource::check(std::span<const pollfd> fds) {
  if (!prepared_) return false;
  prepared_ = false;
  for (std::size_t i = 0; i < pollFds_.size() && i < fds.size(); ++i) {
    pollFds_[i].revents = static_cast<gushort>(fds[i].revents);
  }
  return g_main_context_check(context_, priority_, pollFds_.data(), static_cast<gint>(pollFds_.size()));
}

void GLibMainContextSource::dispatch() { g_main_context_dispatch(context_); }

}  // namespace platform
