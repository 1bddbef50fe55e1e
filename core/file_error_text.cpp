#include "core/file_error_text.h"

#include <sys/stat.h>

#include "core/ui_text.h"

std::string FileErrorText(const files::Error& error) {
  using Kind = files::Error::Kind;
  switch (error.kind) {
    case Kind::NotRegular:
      if (error.fileType == S_IFDIR) return error.Text();
      if (error.fileType == S_IFIFO)
        return Tr("Files", "FIFO です（通常のファイルではありません）");
      if (error.fileType == S_IFCHR || error.fileType == S_IFBLK)
        return Tr("Files", "デバイスです（通常のファイルではありません）");
      return Tr("Files", "通常のファイルではありません");
    case Kind::TooLarge:
      return Tr("Files", "大きすぎます") + " (> " + std::to_string(error.limit >> 20) + " MiB)";
    case Kind::Locked:
      return Tr("Files", "他のプロセスが使用中です");
    default:
      return error.Text();
  }
}
