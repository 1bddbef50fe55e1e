#include "link/tcp_link.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/millisecond_timer.h"

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

std::string Seconds(std::chrono::milliseconds ms) {
  const long long tenths = (ms.count() + 50) / 100;
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
         " s";
}

void SetOption(int fd, int level, int name, int value) {
  ::setsockopt(fd, level, name, &value, sizeof value);
}

}  // namespace

TcpLink::TcpLink(std::string url, Timing timing) : timing_(timing), url_(std::move(url)) {
  address_ = ParseNetAddress(url_, &addressError_);
}

TcpLink::~TcpLink() {
  Close();
}

std::string TcpLink::ApplyLineSettings(const LineSettings& settings) {
  line_ = settings;
  return url_ +
         ": a raw TCP port carries bytes only; its speed and format are set at the server "
         "(rfc2217:// carries them)";
}

int TcpLink::Connect(Clock::time_point deadline) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address_->port);
  if (const int rc = ::getaddrinfo(address_->host.c_str(), service.c_str(), &hints, &found);
      rc != 0)
    throw ComPortError(Why(std::string("host not found (") + ::gai_strerror(rc) + ")"));
  std::string failure = "no address to connect to";
  int fd = -1;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      failure = std::strerror(errno);
      continue;
    }
    int err = 0;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      err = errno;
      if (err == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
          ready = ::poll(&p, 1, MsLeft(deadline));
        } while (ready < 0 && errno == EINTR);
        socklen_t len = sizeof err;
        if (ready <= 0)
          err = ETIMEDOUT;
        else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
          err = errno;
      }
    }
    if (err != 0) {
      failure = err == ETIMEDOUT ? "no connection within " + Seconds(timing_.connect) +
                                       " (the host does not answer)"
                : err == ECONNREFUSED ? "connection refused (nothing listens on that port)"
                                      : std::strerror(err);
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) throw ComPortError(Why(failure));
  SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
  SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, timing_.keepIdleS);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, timing_.keepIntervalS);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, timing_.keepCount);
  // Data that the peer never acknowledges ends the connection in the same time.
  SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT,
            1000 * (timing_.keepIdleS + timing_.keepIntervalS * timing_.keepCount));
  return fd;
}

void TcpLink::Open() {
  if (Connected()) return;
  if (!address_) throw ComPortError(addressError_);
  const Clock::time_point start = Clock::now();
  fd_ = Connect(start + timing_.connect);
  ++generation_;
  inbox_.clear();
  inboxHead_ = 0;
  ended_ = false;
  lineErrors_ = 0;
  try {
    Negotiate(Clock::now() + timing_.negotiate);
  } catch (...) {
    Close();
    throw;
  }
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
  if (inboxHead_ < inbox_.size() || lineErrors_) DeliverLater();
}

void TcpLink::Close() {
  ++generation_;
  if (notifier_) {
    // Close may run inside the notifier's own signal: it is deleted once that has returned.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  inbox_.clear();
  inboxHead_ = 0;
}

void TcpLink::TakeIn(const uint8_t* raw, size_t count, std::vector<uint8_t>& data, TComErrors&) {
  data.insert(data.end(), raw, raw + count);
}

void TcpLink::Encode(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const {
  out.insert(out.end(), bytes, bytes + count);
}

bool TcpLink::Drain(TComErrors& errors) {
  if (fd_ < 0 || ended_) return !ended_;
  uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      if (inboxHead_ == inbox_.size()) {
        inbox_.clear();
        inboxHead_ = 0;
      }
      TakeIn(buffer, static_cast<size_t>(n), inbox_, errors);
      if (fd_ < 0) return false;  // a reply could not be sent: the connection failed
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    ended_ = true;  // 0: the peer closed; an error: reset, keep-alive or user time-out ran out
    return false;
  }
}

size_t TcpLink::InputCount() const {
  // Takes in what the network has delivered, so that waiting bytes are counted; const for the
  // caller, who changes nothing by asking.
  auto* self = const_cast<TcpLink*>(this);
  if (self->fd_ >= 0) {
    TComErrors errors = 0;
    const bool open = self->Drain(errors);
    self->lineErrors_ |= errors;
    if (errors || !open) self->DeliverLater();
  }
  return inbox_.size() - inboxHead_;
}

size_t TcpLink::Read(uint8_t* buffer, size_t count) {
  const size_t n = std::min(count, inbox_.size() - inboxHead_);
  std::memcpy(buffer, inbox_.data() + inboxHead_, n);
  inboxHead_ += n;
  return n;
}

void TcpLink::DeliverLater() {
  if (deliveryQueued_) return;
  deliveryQueued_ = true;
  QMetaObject::invokeMethod(
      this, [this] { OnReadable(); }, Qt::QueuedConnection);
}

void TcpLink::OnReadable() {
  deliveryQueued_ = false;
  if (fd_ < 0) return;
  const uint32_t seen = MillisecondTimer::Now();
  const uint64_t generation = generation_;
  TComErrors errors = lineErrors_;
  lineErrors_ = 0;
  const bool open = Drain(errors) && fd_ >= 0;
  if (errors && OnError) OnError(errors);
  if (generation != generation_) return;
  if (inboxHead_ < inbox_.size() && OnRxChar) OnRxChar(inbox_.size() - inboxHead_, seen);
  if (generation != generation_ || open) return;
  // The connection has ended: like a vanished device, the line error IO and the link closes.
  Close();
  if (OnError) OnError(ceIO);
}

size_t TcpLink::SendRaw(const uint8_t* bytes, size_t count, Clock::time_point deadline,
                        int* error) {
  size_t sent = 0;
  *error = 0;
  while (sent < count && fd_ >= 0) {
    const ssize_t n = ::send(fd_, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      *error = errno;
      break;
    }
    const int left = MsLeft(deadline);
    if (left == 0) break;  // the write time-out ran out: error 0
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready < 0 && errno != EINTR) {
      *error = errno;
      break;
    }
    if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
      *error = EPIPE;
      break;
    }
  }
  return sent;
}

WriteResult TcpLink::Write(const uint8_t* bytes, size_t count) {
  WriteResult r;
  if (!Connected()) {
    r.error = EBADF;
    return r;
  }
  std::vector<uint8_t> wire;
  Encode(bytes, count, wire);
  const auto deadline = Clock::now() + std::chrono::milliseconds(1000 + 100 * count);
  const size_t sent = SendRaw(wire.data(), wire.size(), deadline, &r.error);
  if (sent == wire.size()) {
    r.written = count;
    return r;
  }
  // Short: the data bytes whose whole encoding went out.
  std::vector<uint8_t> one;
  size_t encoded = 0;
  for (size_t i = 0; i < count; ++i) {
    one.clear();
    Encode(bytes + i, 1, one);
    if (encoded + one.size() > sent) break;
    encoded += one.size();
    r.written = i + 1;
  }
  return r;
}

bool TcpLink::ReceiveUntil(Clock::time_point deadline) {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&p, 1, MsLeft(deadline));
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return false;
  TComErrors errors = 0;
  const bool open = Drain(errors);
  lineErrors_ |= errors;
  return open;
}
