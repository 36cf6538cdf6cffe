#pragma once
// One connection to a mail host: name lookup, connect, lines out, replies in, optionally inside
// TLS. Every wait (lookup, connect, each read and write) is bounded by the time limit. Writing
// to a connection the server has closed is a failure of the call, never a signal that ends the
// program. Plain C++ over POSIX sockets and OpenSSL.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tf::mail {

// A reply: its code (the number its first three characters form; 0 when they are no number)
// and every line of it as received, without line ends.
struct SmtpReply {
  int code = 0;
  std::vector<std::string> lines;

  bool Positive() const { return code / 100 == 2; }
  bool Intermediate() const { return code / 100 == 3; }
  std::string Text() const;  // the lines joined with "\n"
};

struct TlsOptions {
  std::string host;              // the name (or address) the certificate must be issued for
  std::string trustCertificate;  // a PEM file trusted besides the system's store; may be empty
};

class SmtpChannel {
 public:
  explicit SmtpChannel(std::chrono::milliseconds limit);
  ~SmtpChannel();
  SmtpChannel(const SmtpChannel&) = delete;
  SmtpChannel& operator=(const SmtpChannel&) = delete;

  // Resolves `host` (a dotted address directly) and connects. False with Error() set.
  bool Connect(const std::string& host, int port);
  // Starts TLS on the open connection and verifies the server's certificate.
  bool StartTls(const TlsOptions& options);
  bool Open() const { return fd_ >= 0; }
  void SetLimit(std::chrono::milliseconds limit) { limit_ = limit; }
  void Close();

  // Sends `line` followed by CR LF.
  bool SendLine(std::string_view line);
  // Sends a block of bytes as they are (the lines of a message, with their CR LF).
  bool SendBytes(std::string_view bytes);
  // Reads one whole reply (every line of a multi-line one). False when the connection fails,
  // ends, or no reply arrives in time; Error() says which.
  bool ReadReply(SmtpReply& reply);

  const std::string& Error() const { return error_; }
  // True when the last failure was the server closing the connection (end of stream or reset).
  bool ClosedByPeer() const { return closedByPeer_; }

  // Every line sent ('>') and received ('<'), for the set-up test of the tool.
  std::function<void(char direction, std::string_view line)> Trace;
  // Hides the next line sent from the trace (credentials).
  void HideNextLine() { hideNext_ = true; }

 private:
  bool ReadLine(std::string& line);
  long RawRead(char* buffer, std::size_t size);
  bool RawWrite(std::string_view bytes);
  bool Fail(std::string text, bool byPeer = false);

  std::chrono::milliseconds limit_;
  int fd_ = -1;
  std::string buffered_;
  std::string error_;
  bool closedByPeer_ = false;
  bool hideNext_ = false;
  struct Tls;
  std::unique_ptr<Tls> tls_;
};

// The machine's name as the network layer reports it ("localhost" when it reports none).
std::string LocalHostName();

}  // namespace tf::mail
