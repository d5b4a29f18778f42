#pragma once
#include <cstdint>
#include <initializer_list>

namespace nrv {

enum class TScanStatus : uint8_t {
  ssIdle = 0,
  ssStarted = 1,
  ssScanFolders = 2,
  ssProcessing = 3,
  ssStopping = 4,
  ssFinishing = 5,
  ssFinished = 6,
  ssSorting = 7,
};

enum class TScannerFeature : uint8_t {
  sfSkipSysAppFolders = 0,
  sfSkipSysFiles = 1,
  sfSkipTemporary = 2,
  sfSkipZero = 3,
  sfSkipCompressed = 4,
  sfSkipJunctionPoints = 5,
  sfSkipHardLinks = 6,
  sfSkipSymLinks = 7,
  sfSkipRecycler = 8,
  sfExcludeContainer = 9,
  sfIncludeFileName = 10,
  sfIncludeExtension = 11,
  sfIncludeFileSize = 12,
  sfIncludeEXIF = 13,
  sfIncludeSubdirs = 14,
  sfIncludeHidden = 15,
  sfRemoveEmptyFolders = 16,
  sfRemoveEmptyFiles = 17,
  sfShowMediaLibraries = 18,
  sfCacheFileInfo = 19,
  sfDirectPathInput = 20,
  sfLocalFileSystem = 21,
  sfViewFileProperties = 22,
  sfViewFile = 23,
  sfViewFileWith = 24,
  sfViewFileLocation = 25,
  sfViewTrash = 26,
  sfAudioFingerprint = 27,
  sfCompareMusic = 28,
  sfFileMask = 29,
  sfPreview = 30,
  sfKeepFolderStructure = 31,
  sfWizard = 32,
};

// A set of scanner features; bit n stands for the feature of value n.
class TScannerFeatures {
 public:
  TScannerFeatures() = default;
  TScannerFeatures(std::initializer_list<TScannerFeature> features) {
    for (auto f : features) Include(f);
  }
  void Include(TScannerFeature f) { bits_ |= Bit(f); }
  void Exclude(TScannerFeature f) { bits_ &= ~Bit(f); }
  bool Contains(TScannerFeature f) const { return (bits_ & Bit(f)) != 0; }
  bool Empty() const { return bits_ == 0; }
  uint64_t Bits() const { return bits_; }
  bool operator==(const TScannerFeatures&) const = default;

 private:
  static uint64_t Bit(TScannerFeature f) { return uint64_t{1} << static_cast<unsigned>(f); }
  uint64_t bits_ = 0;
};

enum class TSupportedAttribute : uint8_t {
  atGroup = 0,
  atName = 1,
  atPath = 2,
  atSize = 3,
  atModified = 4,
  atAlbum = 5,
  atArtist = 6,
  atBitrate = 7,
  atDuration = 8,
  atGenre = 9,
  atTitle = 10,
  atTrack = 11,
  atYear = 12,
  atSubject = 13,
  atSender = 14,
  atRecipients = 15,
  atTimeSent = 16,
  atTimeReceived = 17,
  atMaster = 18,
};

enum class TSortOrder : uint8_t { soAsc = 0, soDesc = 1 };

enum class TResolveAction : uint8_t {
  raDeletePermanently = 0,
  raMoveToTrash = 1,
  raRemoveResolved = 2,
  raClearResults = 3,
  raMoveToFolder = 4,
  raReplaceWithLink = 5,
  raRename = 6,
  raRemoveByFileType = 7,
  raRemoveByFolder = 8,
};

enum class TProgressMethod : uint8_t { spmDataSize = 0, spmScanCount = 1 };

enum class TChangeScanModeEvent : uint8_t { csmBefore = 0, csmAfter = 1 };

enum class TOsWindowState : uint8_t {
  owsWillMiniaturize = 0,
  owsWillEnterFullScreen = 1,
  owsDidDeminiaturize = 2,
  owsDidEnterFullScreen = 3,
  owsDidExitFullScreen = 4,
};

enum class TFileCategory : uint8_t {
  fcAllFiles = 1,
  fcArchives = 2,
  fcDocuments = 3,
  fcMusic = 4,
  fcPictures = 5,
  fcVideo = 6,
  fcOther = 7,
};

}  // namespace nrv
