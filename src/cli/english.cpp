#include "english.h"

#include <array>
#include <string_view>

namespace orbisk {

namespace {

// A Japanese line with at most one "{}" for the words it carries, and its English.
struct Sentence {
    std::string_view japanese;
    std::string_view english;
};

constexpr std::array Sentences = {
    Sentence{"カタログを開けませんでした。", "The catalogue could not be opened."},
    Sentence{"カタログに登録できません。", "The disc cannot be registered in the catalogue."},
    Sentence{"ファイルがありません。", "There is no such file."},
    Sentence{"フォルダです。カタログのファイルを指定して下さい。",
             "It is a folder. Name the catalogue's file."},
    Sentence{"名前付きパイプ(FIFO)です。カタログのファイルではありません。",
             "It is a named pipe (FIFO), not a catalogue."},
    Sentence{"デバイスファイルです。カタログのファイルではありません。",
             "It is a device, not a catalogue."},
    Sentence{"通常のファイルではありません。", "It is not a plain file."},
    Sentence{"ファイルを調べられません。{}", "The file cannot be looked at. {}"},
    Sentence{"カタログの操作に失敗しました。{}", "The catalogue failed. {}"},
    Sentence{"カタログに書き込めません。読み取り専用のファイルかフォルダです。{}",
             "The catalogue cannot be written: the file or its folder is read-only. {}"},
    Sentence{"カタログを開けません。{}", "The catalogue cannot be opened. {}"},
    Sentence{"カタログはほかのプログラムが使用中です。しばらくしてからやり直して下さい。{}",
             "Another program is using the catalogue. Try again in a moment. {}"},
    Sentence{"カタログが壊れています。{}", "The catalogue is damaged. {}"},
    Sentence{"カタログのファイルではありません。{}", "The file is not a catalogue. {}"},
    Sentence{"ディスクがいっぱいです。{}", "The disk is full. {}"},
    Sentence{"カタログの読み書き中に入出力エラーが発生しました。{}",
             "An input/output error occurred on the catalogue. {}"},
    Sentence{"カタログを使用する権限がありません。{}", "No permission to use the catalogue. {}"},
    Sentence{"メモリが足りません。{}", "Out of memory. {}"},
    Sentence{"カタログの表または列がありません。{}",
             "The catalogue lacks one of its tables or columns. {}"},
    Sentence{"メディアのタイトルを入力して下さい。", "Give the disc a title."},
    Sentence{"「ALL」はすべてのタイトルを表すため、ディスクのタイトルには使えません。",
             "\"ALL\" stands for every title and cannot name a disc."},
    Sentence{"空白だけのタイトルは使えません。文字を入力して下さい。",
             "A title of blanks only cannot name a disc."},
    Sentence{"{}のメディアの準備が出来ていません。", "The disc {} is not ready."},
    Sentence{"{}のメディアをセットして下さい。", "Insert the disc {}."},
    Sentence{"完了しました。", "Done."},
    Sentence{"登録できるファイルがありませんでした。", "There was no file to register."},
    Sentence{"データベースの構築中にエラーが発生しました。このディスクは登録されていません。",
             "An error occurred while storing the disc. The disc was not registered."},
    Sentence{"読み込めなかったフォルダが{}個あり、その中のファイルは登録されていません。",
             "{} folders could not be read; the files in them were not registered."},
    Sentence{"最初のフォルダ: {}", "The first of them: {}"},
    Sentence{"{}が読めなくなりました。", "{} could no longer be read."},
    Sentence{"理由: {}", "Reason: {}"},
    Sentence{"ファイル名バッファオーバー", "Too many files on the disc: the rest is left out."},
    Sentence{"該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。",
             "Too many files match. Change the key or the title."},
    Sentence{"Orbisk[{}]解析中...", "Orbisk[{}] reading the disc..."},
    Sentence{"Orbisk[{}]構築中...", "Orbisk[{}] storing..."},
    Sentence{"Orbisk[{}]最適化中...", "Orbisk[{}] finishing..."},
    Sentence{"Orbisk[{}]完了", "Orbisk[{}] done"},
    Sentence{"CSVファイルを保存できませんでした。", "The CSV file could not be written."},
    Sentence{"標準出力に書き込めませんでした。{}", "Standard output could not be written: {}"},
    Sentence{"タイトルに改行やタブなどの制御文字は使えません。",
             "A title cannot hold a line break, a tab or another control character."},
    Sentence{"Orbisk[{}]索引を作成中...", "Orbisk[{}] indexing..."},
    Sentence{"索引を作成できませんでした。",
             "The name index could not be brought up to date: the catalogue cannot be "
             "read, the cache folder cannot be written, or another program is at work on it."},
};

// The English of one line, or nothing when the table does not know it.
bool translate(std::string_view line, std::string& out) {
    for (const Sentence& sentence : Sentences) {
        const auto hole = sentence.japanese.find("{}");
        if (hole == std::string_view::npos) {
            if (line == sentence.japanese) {
                out += sentence.english;
                return true;
            }
            continue;
        }
        const std::string_view before = sentence.japanese.substr(0, hole);
        const std::string_view after = sentence.japanese.substr(hole + 2);
        if (line.size() >= before.size() + after.size() &&
            line.substr(0, before.size()) == before &&
            line.substr(line.size() - after.size()) == after) {
            const std::string_view words =
                line.substr(before.size(), line.size() - before.size() - after.size());
            const auto english = sentence.english;
            const auto at = english.find("{}");
            out += english.substr(0, at);
            out += words;
            out += english.substr(at + 2);
            return true;
        }
    }
    return false;
}

} // namespace

std::string English(const std::string& japanese) {
    std::string out;
    std::size_t start = 0;
    while (start <= japanese.size()) {
        const auto end = japanese.find('\n', start);
        const std::string_view line =
            std::string_view(japanese).substr(start, end == std::string::npos ? end : end - start);
        if (!translate(line, out)) {
            out += line;
        }
        if (end == std::string::npos) {
            break;
        }
        out += '\n';
        start = end + 1;
    }
    return out;
}

} // namespace orbisk
