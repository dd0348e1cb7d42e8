// Language keys of the folder-drives page and its dialog. Portable.
#pragma once

namespace quenzel {

inline constexpr int QuestionCaptionKey = 144;
inline constexpr int GroupKey = 145;
inline constexpr int MountKey = 146;
inline constexpr int MountTipKey = 147;
inline constexpr int UnmountKey = 148;
inline constexpr int UnmountTipKey = 149;
inline constexpr int ApplyKey = 150;
inline constexpr int ApplyTipKey = 151;
inline constexpr int RemoveKey = 152;
inline constexpr int RemoveTipKey = 153;
inline constexpr int NewDriveKey = 154;
inline constexpr int NewDriveTipKey = 155;
inline constexpr int LogonOptionKey = 156;
inline constexpr int DriveHeaderKey = 157;
inline constexpr int FolderHeaderKey = 158;
inline constexpr int MappingHeaderKey = 159;
inline constexpr int StatusHeaderKey = 160;

inline constexpr int NewDriveTitleKey = 161;
inline constexpr int NewDriveOkKey = 162;
inline constexpr int NewDriveCancelKey = 163;
inline constexpr int NewDriveGroupKey = 164;
inline constexpr int NewDriveFolderTitleKey = 165;
inline constexpr int NoFolderKey = 166;
inline constexpr int NoFolderCaptionKey = 167;
inline constexpr int NewDriveNotMountedKey = 168;
inline constexpr int NewDriveNotMountedCaptionKey = 169;
inline constexpr int NewDriveMountedKey = 170;
inline constexpr int NewDriveMountedCaptionKey = 171;

inline constexpr int RemoveQuestionKey = 176;
inline constexpr int RemovedKey = 177;
inline constexpr int RemovedCaptionKey = 178;
inline constexpr int ApplyQuestionKey = 179;
inline constexpr int AppliedKey = 180;
inline constexpr int AppliedCaptionKey = 181;
inline constexpr int NothingSelectedKey = 182;
inline constexpr int NothingSelectedCaptionKey = 183;
inline constexpr int UnmountQuestionKey = 184;
inline constexpr int UnmountQuestionEndKey = 185;
inline constexpr int UnmountedKey = 186;
inline constexpr int UnmountedCaptionKey = 187;
inline constexpr int StillInUseKey = 188;
inline constexpr int StillInUseCaptionKey = 189;
inline constexpr int MountQuestionKey = 190;
inline constexpr int MountQuestionEndKey = 191;
inline constexpr int MountFailedKey = 192;
inline constexpr int MountFailedCaptionKey = 193;
inline constexpr int MountedKey = 194;
inline constexpr int MountedCaptionKey = 195;

// Failures the page reports beyond those above.
inline constexpr int DrivesNotSavedKey = 270;
inline constexpr int InvalidLetterKey = 271;
inline constexpr int InvalidLetterCaptionKey = 272;
inline constexpr int RunValueNotChangedKey = 273;
inline constexpr int LetterInUseKey = 274;

} // namespace quenzel
