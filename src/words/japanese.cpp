// The program's messages in the Japanese of its windows, which orbisk-cli also speaks in a
// Japanese locale. Each text stands letter for letter as the windows have always shown it.
#include "words.h"

#include <cstdlib>

namespace orbisk {

std::string Japanese(const Message& message) {
    const auto text = [&message](std::size_t index) { return message.text(index); };
    const auto number = [&message](std::size_t index) {
        return std::to_string(message.number(index));
    };
    // A value that is a text or lines of their own, worded.
    const auto said = [&message](std::size_t index) {
        return message.text(index) + Worded(message.lines(index), Language::Japanese);
    };
    // The engine's refusals: what they mean, then the engine's own words.
    const auto engine = [&text](const char* sentence) {
        return std::string(sentence) + "(" + text(0) + ")";
    };
    switch (message.id) {
    case MessageId::ProgramName:
        return "Orbisk";
    case MessageId::RegisterTitle:
        return "データベースの構築";
    case MessageId::NoTitleTitle:
        return "タイトル未入力";
    case MessageId::WrongTitleTitle:
        return "タイトルの誤り";
    case MessageId::FindTitle:
        return "ファイルの検索";
    case MessageId::TooManyHitsTitle:
        return "検索結果のファイル数が多すぎます。";
    case MessageId::CopyTitle:
        return "ファイルのコピー";
    case MessageId::SaveLogTitle:
        return "ログの保存";
    case MessageId::ExportTitle:
        return "CSV出力";
    case MessageId::RenameTitle:
        return "名前の変更";
    case MessageId::RemoveTitle:
        return "登録の削除";
    case MessageId::ImagePickerTitle:
        return "ディスクのイメージファイルを選択";

    case MessageId::Verbatim:
        return text(0);

    case MessageId::CatalogNotOpened:
        return "カタログを開けませんでした。";
    case MessageId::CatalogFolderMissing:
        return "カタログのフォルダがありません。";
    case MessageId::OfferNewCatalog:
        return "カタログがありません。新しく作成しますか？";
    case MessageId::CatalogNotCreated:
        return "カタログを作成できませんでした。";
    case MessageId::CatalogUnchangeable:
        return "カタログを変更できません。";
    case MessageId::NoSuchFile:
        return "ファイルがありません。";
    case MessageId::IsAFolder:
        return "フォルダです。カタログのファイルを指定して下さい。";
    case MessageId::IsAFifo:
        return "名前付きパイプ(FIFO)です。カタログのファイルではありません。";
    case MessageId::IsADevice:
        return "デバイスファイルです。カタログのファイルではありません。";
    case MessageId::NotAPlainFile:
        return "通常のファイルではありません。";
    case MessageId::NameTaken:
        return "同じ名前のファイルがすでにあります。";
    case MessageId::CannotLookAtFile:
        return "ファイルを調べられません。(" + text(0) + ")";
    case MessageId::CatalogFailed:
        return engine("カタログの操作に失敗しました。");
    case MessageId::CatalogReadOnly:
        return engine("カタログに書き込めません。読み取り専用のファイルかフォルダです。");
    case MessageId::CatalogCannotOpen:
        return engine("カタログを開けません。");
    case MessageId::CatalogBusy:
        return engine("カタログはほかのプログラムが使用中です。しばらくしてからやり直して下さい。");
    case MessageId::CatalogDamaged:
        return engine("カタログが壊れています。");
    case MessageId::NotACatalog:
        return engine("カタログのファイルではありません。");
    case MessageId::DiskFull:
        return engine("ディスクがいっぱいです。");
    case MessageId::CatalogIoError:
        return engine("カタログの読み書き中に入出力エラーが発生しました。");
    case MessageId::CatalogNoPermission:
        return engine("カタログを使用する権限がありません。");
    case MessageId::OutOfMemory:
        return engine("メモリが足りません。");
    case MessageId::CatalogMissingTable:
        return engine("カタログの表または列がありません。");

    case MessageId::EnterTitle:
        return "メディアのタイトルを入力して下さい。";
    case MessageId::AllIsNoTitle:
        return "「ALL」はすべてのタイトルを表すため、ディスクのタイトルには使えません。";
    case MessageId::TitleHasControl:
        return "タイトルに改行やタブなどの制御文字は使えません。";
    case MessageId::BlankTitle:
        return "空白だけのタイトルは使えません。文字を入力して下さい。";

    case MessageId::DiscNotReady:
        return text(0) + "のメディアの準備が出来ていません。";
    case MessageId::CatalogRefusesDisc:
        return "カタログに登録できません。";
    case MessageId::RegisteredBefore:
        return "このディスクは「" + text(0) + "」として登録済みです。もう一度登録しますか？";
    case MessageId::NothingToRegister:
        return "登録できるファイルがありませんでした。";
    case MessageId::RegistrationFailed:
        return "データベースの構築中にエラーが発生しました。このディスクは登録されていません。";
    case MessageId::Registered:
        return "完了しました。";
    case MessageId::ArchivesRegistered:
        return "書庫" + number(0) + "個の中のファイル" + number(1) + "個も登録しました。";
    case MessageId::ContentsUnread:
        return "最後まで読めず、内容の指紋がないファイルが" + number(0) + "個あります。";
    case MessageId::FirstContentUnread:
        return "最初のファイル: " + text(0);
    case MessageId::UnreadableArchives:
        return "読めなかった書庫が" + number(0) + "個あり、ファイルとしてだけ登録しました。";
    case MessageId::FirstUnreadableArchive:
        return "最初の書庫: " + text(0);
    case MessageId::CrowdedArchives:
        return "ファイルが多すぎる書庫が" + number(0) +
               "個あり、それぞれ最初の10万個だけを登録しました。";
    case MessageId::MemberLimitReached:
        return "書庫の中のファイルが100万個に達したため、残りの書庫はファイルとしてだけ"
               "登録しました。";
    case MessageId::ArchiveLinks:
        return "書庫の中のリンク" + number(0) + "個は登録していません。";
    case MessageId::OverlongMembers:
        return "パスが長すぎる書庫の中のファイル" + number(0) + "個は登録していません。";
    case MessageId::MembersOutside:
        return "書庫の外を指すパス(\"..\"や絶対パス)のファイルが" + number(0) +
               "個あります。コピーするときは名前だけを使います。";
    case MessageId::SkippedFolders:
        return "読み込めなかったフォルダが" + number(0) +
               "個あり、その中のファイルは登録されていません。";
    case MessageId::FolderLost:
        return text(0) + "が読めなくなりました。";
    case MessageId::FirstSkippedFolder:
        return "最初のフォルダ: " + text(0);
    case MessageId::Reason:
        return "理由: " + said(0);
    case MessageId::CaptionReading:
        return "Orbisk[" + number(0) + "%]解析中...";
    case MessageId::CaptionStoring:
        return "Orbisk[" + number(0) + "%]構築中...";
    case MessageId::CaptionFinishing:
        return "Orbisk[" + number(0) + "%]最適化中...";
    case MessageId::CaptionDone:
        return "Orbisk[" + number(0) + "%]完了";
    case MessageId::PathOverflow:
        return "ファイル名バッファオーバー";

    case MessageId::TooManyHits:
        return "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。";
    case MessageId::HitsFound:
        return "Orbisk [FileCopy]     " + number(0) + "件が見つかりました。";

    case MessageId::NothingMarked:
        return "コピーするファイルが選択されていません。";
    case MessageId::InsertDisc:
        return text(0) + "のメディアをセットして下さい。";
    case MessageId::NotThisDisc:
        return "このディスクは「" + text(0) + "」ではありません。";
    case MessageId::RegisteredAs:
        return "「" + text(0) + "」として登録されているディスクです。";
    case MessageId::ImageGone:
        return "「" + text(0) + "」のイメージファイル「" + text(1) + "」が見つかりません。";
    case MessageId::ImageNotReadable:
        return "「" + text(0) + "」のイメージファイル「" + text(1) + "」を読めません。";
    case MessageId::PointAtImage:
        return "「" + text(0) + "」のイメージファイルの場所を指定しますか？";
    case MessageId::PickedNotAnImage:
        return "「" + text(0) + "」はディスクイメージとして読めません。";
    case MessageId::ImageFiles:
        return "ディスクイメージ (*.iso *.img *.bin *.cue *.nrg *.mdf *.udf)|"
               "*.iso *.img *.bin *.cue *.nrg *.mdf *.udf|すべてのファイル (*)|*";
    case MessageId::FileDiffersFromRegistration: {
        std::string differs = "ディスクのファイルが登録したときと違います。";
        if (!text(0).empty()) {
            differs += "大きさ: 登録時 " + text(0) + "バイト、ディスク " + text(1) + "バイト。";
        }
        if (!text(2).empty()) {
            differs += "日付: 登録時 " + text(2) + "、ディスク " + text(3) + "。";
        }
        return differs;
    }
    case MessageId::FileDiffersFromCatalog:
        return "ディスクのファイルがカタログのファイルと違います（別のディスクかもしれません）。"
               "大きさ: カタログ " +
               text(0) + "KB、ディスク " + text(1) + "KB。";
    case MessageId::ContentDiffersFromRegistration:
        return "ディスクのファイルの内容が登録したときと違います（大きさと日付は同じです）。";
    case MessageId::CopiesElsewhere:
        return "ほかのディスクにあるコピー: " + text(0) + "。";
    case MessageId::SourcePathTooLong:
        return "パスが長すぎるため、ディスクのファイルを開けません。";
    case MessageId::NameLeavesFolder:
        return "ファイル名にフォルダの区切りが含まれています。";
    case MessageId::NameHasControl:
        return "ファイル名に制御文字が含まれています。";
    case MessageId::NoPathInCatalog:
        return "カタログにファイルのパスがありません。";
    case MessageId::NoDriveForPath:
        return "ファイルのパスがどのドライブのものか分かりません。";
    case MessageId::CopyStopped:
        return "コピーを中止しました。";
    case MessageId::SourceShrank:
        return "コピー中にコピー元のファイルが短くなりました。";
    case MessageId::TargetIsSource:
        return "コピー先がコピー元と同じファイルです。";
    case MessageId::NoDiscInDrive:
        return "ディスクなし";

    case MessageId::ImageNotOpened:
        return "ディスクイメージのファイルを開けません。";
    case MessageId::ImageEndsEarly:
        return "ディスクイメージが途中で終わっています。";
    case MessageId::CdTracksUnreadable:
        return "CDのトラックを読めません。BINファイルにはCUEシートが必要です（MDFファイルは、"
               "MDSファイルを読むライブラリがないため、2048バイトのセクタのものだけを読めます）。"
               "（" +
               said(0) + "）";
    case MessageId::CdNotRecognised:
        return "libcdio がイメージとして認めません。";
    case MessageId::CdNoTracks:
        return "トラックがありません。";
    case MessageId::CdNoDataVolume:
        return "データトラックに ISO 9660 のボリュームがありません。";
    case MessageId::LaterUdf:
        return "UDF 2.00 以降の形式のディスクイメージは読めません（読めるのはUDF 1.50 までと "
               "ISO 9660 です）。";
    case MessageId::UdfDamaged:
        return "UDF のディスクイメージを読めません。壊れているようです。";
    case MessageId::NotAnImage:
        return "ディスクイメージではないか、壊れています（ISO 9660 と UDF のボリュームが見つかり"
               "ません）。";
    case MessageId::ImageDamaged:
        return "ディスクイメージが壊れていて読めません。（" + said(0) + "）";
    case MessageId::ImageUnreadable:
        return "ディスクイメージを読めません。（" + said(0) + "）";
    case MessageId::SectorUnreadable:
        return "セクタ " + number(0) + " を読めません。";
    case MessageId::UdfFileNotReopened:
        return "UDF のファイルを開き直せません。";
    case MessageId::UdfFileUnreadable:
        return "UDF のファイルを読めません。";
    case MessageId::NotInImage:
        return text(0) + ": ディスクイメージにありません。";
    case MessageId::FolderNotInImage:
        return "イメージの中にこのフォルダがありません。";
    case MessageId::ImageFileNotFound:
        return "ディスクイメージの中にファイルが見つかりません。";
    case MessageId::ImageFileNotOpened:
        return "ディスクイメージの中のファイルを開けません。";
    case MessageId::ImageFileEndsEarly:
        return "ディスクイメージの中のファイルが途中で終わっています。";
    case MessageId::ArchiveNotOpened:
        return "書庫を開けません。";
    case MessageId::NotAnArchive:
        return "書庫として読めません。";
    case MessageId::ArchiveDamaged:
        return "書庫が壊れているため取り出せません。(" + said(0) + ")";
    case MessageId::ArchiveOverflow:
        return "書庫に記録された大きさ(" + number(0) +
               "バイト)を超えたため、取り出しを止めました。壊れた書庫か、展開すると大きくなり"
               "すぎる書庫です。";
    case MessageId::ArchiveShort:
        return "書庫から取り出したファイルが記録された大きさより短くなりました(記録 " + number(0) +
               "バイト、取り出し " + number(1) + "バイト)。壊れた書庫です。";
    case MessageId::ArchiveChanged:
        return "書庫の中のファイルが登録したときと違います(同じ場所に同じパスと大きさのファイルが"
               "ありません)。書庫が変わっています。";
    case MessageId::ArchiveAmbiguous:
        return "書庫に同じパスと大きさのファイルが複数あり、どれを取り出すか分かりません。"
               "ディスクを登録し直して下さい。";
    case MessageId::ArchiveEncrypted:
        return "パスワードで保護されているため、書庫から取り出せません。";
    case MessageId::NotInArchive:
        return "書庫にこのファイルがありません。";

    case MessageId::NoFileName:
        return "ファイル名を指定してください。";
    case MessageId::LogNotSaved:
        return "ログを保存できませんでした。";
    case MessageId::Saved:
        return "保存しました。";
    case MessageId::LogFiles:
        return "テキストファイル(*.txt)|*.txt";
    case MessageId::CsvFiles:
        return "CSVファイル(*.csv)|*.csv";
    case MessageId::CsvNotSaved:
        return "CSVファイルを保存できませんでした。";
    case MessageId::NewTitlePrompt:
        return "新しいタイトル:";
    case MessageId::MergeTitles:
        return "「" + text(0) + "」は登録済みです。2枚のディスクを1つのタイトルにまとめますか？";
    case MessageId::TitleNotChanged:
        return "タイトルを変更できませんでした。";
    case MessageId::RemoveQuestion:
        return "「" + text(0) + "」の登録を削除しますか？";
    case MessageId::FileCount:
        return "ファイル " + number(0) + " 件";
    case MessageId::RemoveFailed:
        return "登録を削除できませんでした。";
    }
    std::abort(); // an id outside the enumeration
}

} // namespace orbisk
