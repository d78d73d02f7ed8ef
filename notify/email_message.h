#pragma once
// Alert e-mail text: the message template and its placeholders, the recipient list rules,
// the address check and the base64 encoder used for AUTH LOGIN.
#include <cstddef>
#include <string>
#include <vector>

#include "notify/email_settings.h"

namespace vantrel {

// The five placeholder values of an alert, computed by the notification check.
struct EmailPlaceholders {
  std::wstring threshold;  // "%b": the threshold as typed and its unit word, "10 GB"
  std::wstring direction;  // "%t": "downloaded", "uploaded" or "downloaded and uploaded"
  std::wstring adapter;    // "%a": the watched entry's title
  std::wstring period;     // "%p": "week (first -- today)" and the like
  std::wstring used;       // "%f": the used total, in byte units
};

// The sample values the E-mail Settings dialog previews and sends in its test e-mail.
EmailPlaceholders PreviewPlaceholders();

// Replaces "%b", then "%t", "%a", "%p" and "%f" throughout text, each pass left to right
// without re-scanning what it put in (text brought in by one pass is seen by the later ones).
std::wstring ExpandPlaceholders(const std::wstring& text, const EmailPlaceholders& values);

// The alert message: "From:", "To:" and "Subject:" headers (sender, recipient list as typed,
// subject template), a blank line and the body template, all of it then put through
// ExpandPlaceholders, so placeholders in the headers are expanded too.
std::wstring ExpandEmailTemplate(const EmailSettings& settings, const std::wstring& recipients,
                                 const EmailPlaceholders& values);

// The test e-mail of the E-mail Settings dialog: subject "[Test Email] " and the subject
// template as it stands (not expanded), body expanded with PreviewPlaceholders().
std::wstring BuildTestEmailMessage(const EmailSettings& settings, const std::wstring& testAddress);

// Cuts text at every comma, strips spaces at both ends of each piece and drops empty pieces,
// keeping the order.
std::vector<std::wstring> SplitAddressList(const std::wstring& text);
std::vector<std::string> SplitAddressList(const std::string& text);

// The program's address check: not empty, at most one "@", after the "@" at least one "."
// with no "." directly after the "@", no two "." in a row and no "." at the end. The part
// before the "@" is not examined.
bool IsValidEmailAddress(const std::wstring& address);
bool IsValidEmailAddress(const std::string& address);

// Number of characters Base64EncodeLines writes for `length` bytes.
size_t Base64EncodedLength(size_t length);

// Standard base64 with "=" padding. After every 76 characters of whole three-byte groups a
// "\r\n" follows (also after the last whole group); the final one or two bytes with their
// padding come after that. Writes into *output (replacing it, no terminator) and returns the
// number of characters written; an empty input gives 0.
size_t Base64EncodeLines(const void* data, size_t length, std::string* output);

}  // namespace vantrel
