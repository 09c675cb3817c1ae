// The one notice the installer may show: a device installation is pending.
#ifndef INSTALLER_NOTICE_H_
#define INSTALLER_NOTICE_H_

#include <windows.h>

struct NoticeTexts {
  const char* text;
  const char* caption;
};

// The system default language that gets the Chinese notice: Chinese (PRC) and nothing else.
inline constexpr LANGID kChinesePrcLanguage = 0x0804;

// Returns the Simplified Chinese texts (code page 936 bytes) for exactly |system_language| 0x0804,
// the English texts for every other identifier, other Chinese variants included.
NoticeTexts ChooseNotice(LANGID system_language);

#endif  // INSTALLER_NOTICE_H_
