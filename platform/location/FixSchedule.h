#pragma once
// The fixes a simulated location service reports after it is started. There
// is no positioning hardware here: the front end configures either one fixed
// position or a file of timed fixes, and the LocationManager replays them on
// the run loop.
//
// A fix file has one fix a line, "DELAY_SECONDS LAT LON ACCURACY [AGE_SECONDS]",
// separated by spaces or tabs. DELAY is measured from the start of updates,
// AGE (default 0) is how old the fix already is when delivered, and a negative
// AGE dates it in the future, as a skewed device clock would. Blank lines and
// everything after a '#' are ignored. Any other malformed line rejects the
// whole file, with its line number in the error: silently losing a fix would
// make a simulation quietly differ from what its author wrote.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::location {

class FixSchedule {
 public:
  struct Fix {
    double delay = 0.0;  // seconds after the start of updates
    double latitude = 0.0;
    double longitude = 0.0;
    double horizontalAccuracy = 0.0;
    double age = 0.0;  // seconds before delivery the fix was taken

    bool operator==(const Fix&) const = default;
  };

  // Fix files larger than this are refused unread.
  static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

  // No fixes: updates start but never report anything.
  FixSchedule() = default;
  explicit FixSchedule(std::vector<Fix> fixes) : fixes_(std::move(fixes)) {}

  // One fix delivered right after start, from "LAT,LON,ACCURACY".
  [[nodiscard]] static std::optional<FixSchedule> fixedPosition(std::string_view latLonAccuracy,
                                                                double ageSeconds, std::string& error);
  // A fix file's text (format above).
  [[nodiscard]] static std::optional<FixSchedule> parse(std::string_view text, std::string& error);
  // A fix file on disk.
  [[nodiscard]] static std::optional<FixSchedule> fromFile(const std::string& path, std::string& error);

  const std::vector<Fix>& fixes() const { return fixes_; }
  bool empty() const { return fixes_.empty(); }

  bool operator==(const FixSchedule&) const = default;

 private:
  std::vector<Fix> fixes_;
};

}  // namespace platform::location
