#pragma once
// The errors a command can end with. Each carries the German text that the
// user sees in the error report; the window shows what(), the command line
// prints it.
#include <exception>
#include <string>

namespace zelmaro {

class EZelmaroError : public std::exception {
 public:
  explicit EZelmaroError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  // A further line of the report, for what the failure left behind; caught
  // by reference and rethrown, the error keeps its type.
  void AddLine(const std::string& line) { message_ += "\n" + line; }

 protected:
  void SetMessage(std::string message) { message_ = std::move(message); }

 private:
  std::string message_;
};

// File errors. The number follows the platform's error codes the users know
// from the report texts: 5 access denied, 112 disk full, others as they come.
class EInOutError : public EZelmaroError {
 public:
  explicit EInOutError(int code, std::string file_name = {});
  int ErrorCode() const { return code_; }
  // The file concerned, empty when the failing step did not know it. The
  // report's text stays the short one users know; the window shows the file
  // beside it.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string file_name) { file_name_ = std::move(file_name); }
  // Maps an errno value of a failed file operation to the report's number.
  static int CodeFromErrno(int err);
  static EInOutError FromErrno(int err, std::string file_name = {}) {
    EInOutError e(CodeFromErrno(err), std::move(file_name));
    e.errno_ = err;
    return e;
  }
  // Why, in German words ("der Ordner ist nicht vorhanden"), where the
  // number alone says too little; empty otherwise.
  std::string Cause() const;

 private:
  int code_;
  int errno_ = 0;
  std::string file_name_;
};

// A text that is not a number of the required kind.
class EConvertError : public EZelmaroError {
 public:
  using EZelmaroError::EZelmaroError;
  static EConvertError NotInteger(const std::string& text);
  static EConvertError NotFloat(const std::string& text);
};

class EInvalidOp : public EZelmaroError {
 public:
  EInvalidOp() : EZelmaroError("Ungültige Gleitkommaoperation") {}
};

class EZeroDivide : public EZelmaroError {
 public:
  EZeroDivide() : EZelmaroError("Gleitkommadivision durch Null") {}
};

// A result beyond the double range (coordinates of absurd size).
class EOverflow : public EZelmaroError {
 public:
  EOverflow() : EZelmaroError("Gleitkommaüberlauf") {}
};

class ERangeError : public EZelmaroError {
 public:
  ERangeError() : EZelmaroError("Fehler bei Bereichsprüfung") {}
};

// Our own reports for limits the program sets (capacities, bounded loops) and
// for inputs it refuses.
class ELimitError : public EZelmaroError {
 public:
  using EZelmaroError::EZelmaroError;
};

// An allocation failed. Where a std::bad_alloc reaches a command's end it is
// reported with this text.
class EOutOfMemory : public EZelmaroError {
 public:
  EOutOfMemory();
};

// The German text of any error that ends a command: what() of our own
// errors, the out-of-memory report for a failed allocation, and a general
// German report for anything else the library might throw.
std::string ErrorMessage(const std::exception& e);
// ErrorMessage and, for a file error, a line naming the file and the cause:
// the whole report where no window shows the file beside the text.
std::string ErrorReport(const std::exception& e);

}  // namespace zelmaro
