#include "mail/smtp_channel.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace tf::mail {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Waits until the socket can be read (POLLIN) or written (POLLOUT); false when time is up.
bool Wait(int fd, short events, Clock::time_point deadline) {
  while (true) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, Remaining(deadline));
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

std::string OpenSslError() {
  const unsigned long e = ERR_get_error();
  ERR_clear_error();
  if (e == 0) return "TLS failure";
  char text[256];
  ERR_error_string_n(e, text, sizeof text);
  return text;
}

// The socket under OpenSSL: send with MSG_NOSIGNAL so that a server that has gone away makes a
// failed write, not a SIGPIPE (OpenSSL's own socket layer writes with write()).
int BioWrite(BIO* bio, const char* data, int size) {
  const int fd = *static_cast<int*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  const ssize_t n = ::send(fd, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_write(bio);
  return static_cast<int>(n);
}

int BioRead(BIO* bio, char* data, int size) {
  const int fd = *static_cast<int*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  const ssize_t n = ::recv(fd, data, static_cast<std::size_t>(size), 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_read(bio);
  return static_cast<int>(n);
}

long BioControl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

BIO_METHOD* SocketMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tallyfold socket");
    BIO_meth_set_write(m, BioWrite);
    BIO_meth_set_read(m, BioRead);
    BIO_meth_set_ctrl(m, BioControl);
    BIO_meth_set_create(m, [](BIO* b) {
      BIO_set_init(b, 1);
      return 1;
    });
    return m;
  }();
  return method;
}

// A lookup that has not answered when time is up cannot be taken back; its request is left to
// the resolver (a few bytes) rather than freed under it.
struct Lookup {
  std::string name;
  std::string service;
  addrinfo hints{};
  gaicb request{};
};

}  // namespace

struct SmtpChannel::Tls {
  SSL_CTX* context = nullptr;
  SSL* ssl = nullptr;
  ~Tls() {
    if (ssl) SSL_free(ssl);
    if (context) SSL_CTX_free(context);
  }
};

std::string SmtpReply::Text() const {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

std::string LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == 0) return "localhost";
  return name;
}

SmtpChannel::SmtpChannel(std::chrono::milliseconds limit) : limit_(limit) {}

SmtpChannel::~SmtpChannel() { Close(); }

bool SmtpChannel::Fail(std::string text, bool byPeer) {
  error_ = std::move(text);
  closedByPeer_ = byPeer;
  return false;
}

void SmtpChannel::Close() {
  tls_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffered_.clear();
}

bool SmtpChannel::Connect(const std::string& host, int port) {
  Close();
  closedByPeer_ = false;
  const Clock::time_point deadline = Clock::now() + limit_;
  addrinfo* found = nullptr;
  auto* lookup = new Lookup;
  lookup->name = host;
  lookup->service = std::to_string(port);
  lookup->hints.ai_socktype = SOCK_STREAM;
  lookup->hints.ai_family = AF_UNSPEC;
  // A dotted address is used as it is, without asking the resolver.
  in_addr v4{};
  in6_addr v6{};
  if (::inet_pton(AF_INET, host.c_str(), &v4) == 1 || ::inet_pton(AF_INET6, host.c_str(), &v6) == 1)
    lookup->hints.ai_flags = AI_NUMERICHOST;
  lookup->request.ar_name = lookup->name.c_str();
  lookup->request.ar_service = lookup->service.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb* list[] = {&lookup->request};
  if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
    delete lookup;
    return Fail("the name " + host + " could not be looked up");
  }
  while (::gai_error(&lookup->request) == EAI_INPROGRESS) {
    const int ms = Remaining(deadline);
    if (ms == 0) {
      if (::gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
      return Fail("the name " + host + " was not found in time");
    }
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    const gaicb* const waitList[] = {&lookup->request};
    ::gai_suspend(waitList, 1, &wait);
  }
  const int status = ::gai_error(&lookup->request);
  found = lookup->request.ar_result;
  delete lookup;
  if (status != 0 || !found) return Fail("the name " + host + " was not found (" + ::gai_strerror(status) + ")");

  std::string why = "no address to connect to";
  for (addrinfo* a = found; a; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      why = std::strerror(errno);
      continue;
    }
    int result = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (result != 0 && errno == EINPROGRESS) {
      if (!Wait(fd, POLLOUT, deadline)) {
        ::close(fd);
        why = "no answer in time";
        continue;
      }
      int soError = 0;
      socklen_t length = sizeof soError;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
      result = soError == 0 ? 0 : -1;
      errno = soError;
    }
    if (result != 0) {
      why = std::strerror(errno);
      ::close(fd);
      continue;
    }
    // Commands are short and each waits for its reply: sent at once, not held back to be
    // joined with the next.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fd_ = fd;
    break;
  }
  ::freeaddrinfo(found);
  if (fd_ < 0) return Fail("no connection to " + host + " port " + std::to_string(port) + " (" + why + ")");
  return true;
}

bool SmtpChannel::StartTls(const TlsOptions& options) {
  if (fd_ < 0) return Fail("no connection");
  auto tls = std::make_unique<Tls>();
  tls->context = SSL_CTX_new(TLS_client_method());
  if (!tls->context) return Fail(OpenSslError());
  SSL_CTX_set_min_proto_version(tls->context, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(tls->context);
  if (!options.trustCertificate.empty() &&
      SSL_CTX_load_verify_locations(tls->context, options.trustCertificate.c_str(), nullptr) != 1)
    return Fail("the certificate " + options.trustCertificate + " could not be read (" + OpenSslError() + ")");
  SSL_CTX_set_verify(tls->context, SSL_VERIFY_PEER, nullptr);
  tls->ssl = SSL_new(tls->context);
  if (!tls->ssl) return Fail(OpenSslError());
  // The certificate must name the host as the settings give it: a name, or an address.
  in_addr v4{};
  in6_addr v6{};
  const bool address = ::inet_pton(AF_INET, options.host.c_str(), &v4) == 1 ||
                       ::inet_pton(AF_INET6, options.host.c_str(), &v6) == 1;
  if (address) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(tls->ssl), options.host.c_str());
  } else {
    SSL_set_tlsext_host_name(tls->ssl, options.host.c_str());
    SSL_set1_host(tls->ssl, options.host.c_str());
  }
  BIO* bio = BIO_new(SocketMethod());
  BIO_set_data(bio, &fd_);
  SSL_set_bio(tls->ssl, bio, bio);
  const Clock::time_point deadline = Clock::now() + limit_;
  while (true) {
    ERR_clear_error();
    const int r = SSL_connect(tls->ssl);
    if (r == 1) break;
    const int e = SSL_get_error(tls->ssl, r);
    if ((e == SSL_ERROR_WANT_READ && Wait(fd_, POLLIN, deadline)) ||
        (e == SSL_ERROR_WANT_WRITE && Wait(fd_, POLLOUT, deadline)))
      continue;
    const long verify = SSL_get_verify_result(tls->ssl);
    if (verify != X509_V_OK)
      return Fail(std::string("the server's certificate is not trusted (") + X509_verify_cert_error_string(verify) + ")");
    if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) return Fail("no answer in time");
    return Fail("the secure connection could not be made (" + OpenSslError() + ")");
  }
  buffered_.clear();
  tls_ = std::move(tls);
  return true;
}

long SmtpChannel::RawRead(char* buffer, std::size_t size) {
  const Clock::time_point deadline = Clock::now() + limit_;
  while (true) {
    if (tls_) {
      ERR_clear_error();
      const int n = SSL_read(tls_->ssl, buffer, static_cast<int>(size));
      if (n > 0) return n;
      const int e = SSL_get_error(tls_->ssl, n);
      if (e == SSL_ERROR_ZERO_RETURN) return 0;
      if (e == SSL_ERROR_WANT_READ && Wait(fd_, POLLIN, deadline)) continue;
      if (e == SSL_ERROR_WANT_WRITE && Wait(fd_, POLLOUT, deadline)) continue;
      if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) return -2;
      return e == SSL_ERROR_SYSCALL && (errno == 0 || errno == ECONNRESET) ? 0 : -1;
    }
    const ssize_t n = ::recv(fd_, buffer, size, 0);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == ECONNRESET) return 0;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (!Wait(fd_, POLLIN, deadline)) return -2;
  }
}

bool SmtpChannel::RawWrite(std::string_view bytes) {
  if (fd_ < 0) return Fail("no connection");
  const Clock::time_point deadline = Clock::now() + limit_;
  while (!bytes.empty()) {
    if (tls_) {
      ERR_clear_error();
      const int n = SSL_write(tls_->ssl, bytes.data(), static_cast<int>(bytes.size()));
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
        continue;
      }
      const int e = SSL_get_error(tls_->ssl, n);
      if ((e == SSL_ERROR_WANT_WRITE && Wait(fd_, POLLOUT, deadline)) ||
          (e == SSL_ERROR_WANT_READ && Wait(fd_, POLLIN, deadline)))
        continue;
      if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) return Fail("the server took nothing in time");
      return Fail("the server closed the connection", true);
    }
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!Wait(fd_, POLLOUT, deadline)) return Fail("the server took nothing in time");
      continue;
    }
    return Fail("the server closed the connection (" + std::string(std::strerror(errno)) + ")", errno == EPIPE || errno == ECONNRESET);
  }
  return true;
}

bool SmtpChannel::SendLine(std::string_view line) {
  if (Trace) Trace('>', hideNext_ ? std::string_view("(hidden)") : line);
  hideNext_ = false;
  std::string bytes(line);
  bytes += "\r\n";
  return RawWrite(bytes);
}

bool SmtpChannel::SendBytes(std::string_view bytes) { return RawWrite(bytes); }

bool SmtpChannel::ReadLine(std::string& line) {
  while (true) {
    const std::size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      line = buffered_.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      buffered_.erase(0, end + 1);
      return true;
    }
    // A reply line is at most 512 octets; a peer that sends far more is not a mail server.
    if (buffered_.size() > 64 * 1024) return Fail("the server sent a line far too long for a reply");
    char chunk[4096];
    const long n = fd_ < 0 ? -1 : RawRead(chunk, sizeof chunk);
    if (n > 0) {
      buffered_.append(chunk, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) return Fail("the server closed the connection", true);
    if (n == -2) return Fail("no reply from the server in time");
    return Fail("the connection failed (" + std::string(std::strerror(errno)) + ")");
  }
}

bool SmtpChannel::ReadReply(SmtpReply& reply) {
  reply = {};
  std::string line;
  if (!ReadLine(line)) return false;
  if (Trace) Trace('<', line);
  reply.lines.push_back(line);
  auto codeOf = [](const std::string& l) {
    if (l.size() < 3) return 0;
    for (int i = 0; i < 3; ++i)
      if (l[i] < '0' || l[i] > '9') return 0;
    return std::stoi(l.substr(0, 3));
  };
  reply.code = codeOf(line);
  if (line.size() >= 4 && line[3] == '-') {
    const std::string last = line.substr(0, 3) + " ";
    while (true) {
      if (!ReadLine(line)) return false;
      if (Trace) Trace('<', line);
      reply.lines.push_back(line);
      if (line.compare(0, 4, last) == 0 || line == last.substr(0, 3)) break;
    }
  }
  return true;
}

}  // namespace tf::mail
