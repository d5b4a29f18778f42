#include "engine/file_category.h"

#include <array>
#include <string_view>
#include <utility>

#include "platform/path_forms.h"
#include "services/text.h"

namespace nrv {
namespace {

// Searched in this order: ".MP2" is in the music and the video list and counts as music.
constexpr std::array<std::pair<TFileCategory, std::string_view>, 5> kCategoryLists{{
    {TFileCategory::fcArchives,
     "*.7Z;*.ACE;*.ALZ;*.ARC;*.ARJ;*.BZ2;*.BZ2;*.CAB;*.JAR;*.LZH;*.PAK;*.RAR;*.AT3;*.TGZ;*.TAR;"
     "*.GZ;*.UHA;*.ZIP;"},
    {TFileCategory::fcDocuments,
     "*.MDB;*.ADP;*.MDA;*.MDE;*.ADE;*.XL;*.XLA;*.XLS;*.XLSX;*.XLT;*.XLM;*.XLC;*.XLW;*.PPS;*.PPT;"
     "*.PPTX;*.DOC;*.DOCX;*.WRI;*.CSV;*.ODT;*.ODS;*.ODG;*.ODP;*.ODM;*.ODF;*.PDF;*.TXT;*.RTF;"},
    {TFileCategory::fcMusic,
     "*.M4A;*.M4P;*.MP2;*.AAC;*.AIFF;*.APE;*.AU;*.FLAC;*.MID;*.MP3;*.OGG;*.WAV;*.WMA;*.MP3PRO;"
     "*.RM;*.RA;"},
    {TFileCategory::fcPictures,
     "*.BMP;*.GIF;*.ICO;*.JNG;*.JPG;*.JPEG;*.JPE;*.JP2;*.JPC;*.J2K;*.PNG;*.TIF;*.TIFF;*.EPS;*.CLP;"
     "*.CRW;*.CR2;*.DCX;*.EXR;*.KDC;*.PCX;*.PSD;*.RAW;*.SFW;*.WMF;*.DNG;"},
    {TFileCategory::fcVideo,
     "*.3GP;*.MP4;*.SWF;*.FLA;*.FLV;*.MKV;*.MPEG;*.MPG;*.M1V;*.MP2;*.MPA;*.MPE;*.MOV;*.AVI;*.WMV;"
     "*.DIVX;*.M2TS;"},
}};

// Whether `list` holds the entry "*<ext>;" as a whole entry. Matching whole
// entries (not any substring) keeps a Linux name that itself contains ";" or
// "*" from matching across two entries.
bool ListHolds(std::string_view list, std::string_view ext) {
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(start, end - start);
    if (entry.size() == ext.size() + 1 && entry.front() == '*' && entry.substr(1) == ext) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

TFileCategory GetFileCategory(const std::string& file_name) {
  std::string ext = platform::ExtractFileExt(file_name);
  if (ext.empty()) return TFileCategory::fcOther;
  ext = text::ToUpper(ext);
  for (const auto& [category, list] : kCategoryLists) {
    if (ListHolds(list, ext)) return category;
  }
  return TFileCategory::fcOther;
}

TFileCategory GetFileCategory(const IFileInfoPtr& file) {
  return file ? GetFileCategory(file->GetName()) : TFileCategory::fcOther;
}

}  // namespace nrv
