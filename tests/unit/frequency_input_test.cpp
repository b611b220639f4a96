// The frequency a technician types, in Hz, kHz or MHz: taken exactly when it is a whole number of
// hertz in the device's range, refused with the prompt that says what is wrong otherwise.

#include <gtest/gtest.h>

#include "front/FrequencyInput.h"
#include "support/Languages.h"

namespace quorvin {
namespace {

TEST(FrequencyInput, UnitsAreTakenExactlyAndEverythingElseIsRefused) {
  const Language english = test::TestLanguage(true);
  const struct {
    const char* text;
    qint32 hz;  // 0: refused
  } cases[] = {
      {"433920000", 433'920'000},
      {" 433920000 Hz", 433'920'000},
      {"433920 kHz", 433'920'000},
      {"433.92 MHz", 433'920'000},
      {"433.92mhz", 433'920'000},
      {"315.6MHz", 315'600'000},
      {"433.9205 MHz", 433'920'500},
      {"300000000", 300'000'000},
      {"900 MHz", 900'000'000},
      {"433.9200001 MHz", 0},
      {"433920000.5", 0},
      {"299999999", 0},
      {"900000001", 0},
      {"99999999999999999999999", 0},
      {"-433.92 MHz", 0},
      {"4e8", 0},
      {"abc", 0},
      {"", 0},
      {"MHz", 0},
      {"433.92 GHz", 0},
  };
  for (const auto& c : cases) {
    QString prompt;
    const auto hz = ParseFrequency(QString::fromUtf8(c.text), english, &prompt);
    if (c.hz == 0) {
      EXPECT_FALSE(hz) << c.text;
      EXPECT_FALSE(prompt.isEmpty()) << c.text;
    } else {
      EXPECT_EQ(hz.value_or(-1), c.hz) << c.text;
    }
  }
  // Out of range, however far: the prompt names both bounds.
  QString prompt;
  (void)ParseFrequency("99999999999999999999999", english, &prompt);
  EXPECT_EQ(prompt, "Please enter a whole number of Hz between 300000000 and 900000000.");
  EXPECT_EQ(FrequencyInMhz(433'920'000), "433.92 MHz");
  EXPECT_EQ(FrequencyInMhz(315'600'000), "315.6 MHz");
  EXPECT_EQ(FrequencyInMhz(900'000'000), "900 MHz");
}

}  // namespace
}  // namespace quorvin
