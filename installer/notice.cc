#include "installer/notice.h"

namespace {

// Code page 936 bytes, handed unchanged to the ANSI message box. The text asks the user to cancel
// the driver installation wizard; the caption reads "USB driver installation".
constexpr char kChineseText[] =
    "\xC7\xEB\xC8\xA1\xCF\xFB\xC7\xFD\xB6\xAF\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC";
constexpr char kChineseCaption[] = "USB\xC7\xFD\xB6\xAF\xB0\xB2\xD7\xB0";
static_assert(sizeof(kChineseText) == 18 + 1 && sizeof(kChineseCaption) == 11 + 1);

// Shipped wording, closing space included.
constexpr char kEnglishText[] = "An driver install process is runing ";
constexpr char kEnglishCaption[] = "USB Installer";

}  // namespace

NoticeTexts ChooseNotice(LANGID system_language) {
  if (system_language == kChinesePrcLanguage) return {kChineseText, kChineseCaption};
  return {kEnglishText, kEnglishCaption};
}
