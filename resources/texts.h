// Every text the program shows from its code. The sources are UTF-8; the compiler turns
// the literals into code page 932 bytes, the program's only text encoding.
#pragma once

namespace verrow::text {

// Every text that takes values marks them %1, %2, ... (cp932::Substitute puts them in).

// Starting programs. %1: the entry's path; %2: the system's error code.
inline constexpr const char kStartError[] = "%1 の起動エラー(CODE=%2)";

// The entry store.
inline constexpr const char kConfigFolderMissing[] = "設定フォルダが見つかりません。";
// At start, when the program's own folder cannot be named in code page 932.
inline constexpr const char kProgramFolderNotInCodePage[] =
    "Verrowを置いたフォルダの名前に、シフトJISで表せない文字が含まれているため、"
    "登録と設定を読み込めません。追加や変更も保存されません。\n\n"
    "シフトJISで表せる名前のフォルダにVerrowを移してください。";

// The entry list's column headers.
inline constexpr const char kNameColumn[] = "名前";
inline constexpr const char kPathColumn[] = "パス";

// Main window commands.
inline constexpr const char kRunFailed[] = "アプリケーションの起動に失敗しました";
inline constexpr const char kWrongDrive[] = "Verrowを起動したドライブ上のアプリケーションを登録してください。";
inline constexpr const char kConfirmDelete[] = "選択されたアイテムを削除してもよろしいですか？";
// %1: the entry file's path; %2: empty, or a line saying why, with its blank line.
inline constexpr const char kDeleteFailed[] =
    "登録ファイルを削除できなかったため、登録を解除しませんでした。\n\n%1\n\n%2"
    "ドライブが書き込み禁止になっていないか、取り外されていないか、ファイルが読み取り専用や使用中になっていないかを"
    "確認してください。";

// Data exchange. %1: the box's limit.
inline constexpr const char kTextTooLong[] = "%1 文字以内で入力してください。";

// Entry editor, environment editing, hint window.
inline constexpr const char kFileMissing[] = "存在するファイルを指定してください";
inline constexpr const char kPickFileTitle[] = "登録するアプリケーションの選択";
inline constexpr const char kPickFolderPrompt[] = "登録するフォルダの選択";
inline constexpr const char kTipPickFile[] = "登録するアプリケーションを選択します。";
inline constexpr const char kTipPickFolder[] = "登録するフォルダを選択します。";
inline constexpr const char kTipCustomEnv[] =
    "環境変数をカスタマイズすることで、他環境での動作が可能になるかも知れません。";
inline constexpr const char kTipOverwrite[] =
    "この設定を有効にすることで、設定する環境変数を最小限にすることが可能です。";
inline constexpr const char kTipStartUp[] =
    "この設定を有効にすると、Verrowを起動したときに、アプリケーションを起動できます。";
inline constexpr const char kDriveVarNoChange[] = "環境変数 _VERROW_DRV_ は変更できません";
inline constexpr const char kDriveVarNoDelete[] = "環境変数 _VERROW_DRV_ は削除できません";
inline constexpr const char kEnvNameTaken[] = "すでに同じ名前の環境変数が存在します";
inline constexpr const char kEnvNameEmpty[] = "環境変数名を入力してください";
inline constexpr const char kEnvNameWithEquals[] = "環境変数名には = を使えません";
inline constexpr const char kPickedNameNotInCodePage[] =
    "選択された名前には、シフトJISで表せない文字が含まれているため、登録できません。\n\n"
    "シフトJISで表せる名前に変えてから選択してください。";
// When a box of a dialog holds characters that code page 932 lacks.
inline constexpr const char kTypedTextNotInCodePage[] =
    "入力された文字列には、シフトJISで表せない文字が含まれているため、登録できません。\n\n"
    "シフトJISで表せる文字に直してください。";

// The hint window's help text: 30 lines, each ended by CR LF. Indented lines begin with a
// full-width space; the example paths are padded to 24 characters so that the arrows
// stand in one column in the fixed-pitch font.
inline constexpr const char kHintText[] =
    "■固有な環境変数\r\n"
    "_VERROW_DRV_ は Verrow 固有の環境変数です。\r\n"
    "Verrow を起動したドライブ（E: など）が自動的に設定されます。\r\n"
    "これを使うと、環境変数の値に含まれるドライブ名を可変にできます。\r\n"
    "\r\n"
    "■環境変数の置き換えと上書き\r\n"
    "置き換えでは、プロセスの環境変数はすべて無視され、Verrow で設定した環境変数だけが使われます。\r\n"
    "上書きでは、Verrow で設定した環境変数でプロセスの環境変数を上書きします。\r\n"
    "つまり、設定した環境変数と重複するプロセスの環境変数だけが書き換わります。\r\n"
    "\r\n"
    "上書きのほうが、設定する環境変数は少なくて済みます。\r\n"
    "ほとんどの環境変数はカスタマイズする必要がないので、上書きをお勧めします。\r\n"
    "\r\n"
    "■設定のポイント\r\n"
    "以下は、上書きする場合の設定のポイントです。\r\n"
    "\r\n"
    "主に変更する環境変数は PATH です。\r\n"
    "PATH を変更するときは、システムのパスも必要になることがあります。\r\n"
    "Windows では、次の環境変数が標準で設定されています。\r\n"
    "　SystemDrive・・・Windows がインストールされているドライブ\r\n"
    "　SystemRoot ・・・Windows がインストールされているフォルダ\r\n"
    "まず、一覧からこれらの環境変数を削除してください。\r\n"
    "次に PATH を選択し、SystemDrive や SystemRoot に一致する部分を置き換えてください。\r\n"
    "　例)\r\n"
    "　C:\\WINDOWS              →%SystemRoot%\r\n"
    "　C:\\WINDOWS\\system32     →%SystemRoot%\\system32\r\n"
    "　C:\\WINDOWS\\System32\\Wbem→%SystemRoot%\\system32\\Wbem\r\n"
    "\r\n"
    "Windows の標準の環境変数については、次のサイトが参考になります。\r\n"
    "https://learn.microsoft.com/windows/deployment/usmt/usmt-recognized-environment-variables\r\n";

// The main window: tooltips of the command buttons, and the message at the end of a run
// when something could not be saved.
inline constexpr const char kTipConf[] = "Verrowの設定を行います。";
inline constexpr const char kTipDrive[] = "ドライブを開きます。";
inline constexpr const char kTipAdd[] = "新規にアプリケーションを追加します。";
inline constexpr const char kTipDel[] = "選択されたアプリケーションの登録を解除します。";
inline constexpr const char kTipEdit[] = "選択されたアプリケーションの設定をします。";
inline constexpr const char kTipRun[] = "選択されたアプリケーションを起動します。";
inline constexpr const char kUnsavedEntries[] = "次の登録を保存できませんでした。";
inline constexpr const char kUnnamedEntry[] = "(名前なし)";
inline constexpr const char kMoreUnsaved[] = "ほか %1 件";  // %1: how many more
inline constexpr const char kUnsavedSettings[] = "設定 (verrow.ini) を保存できませんでした。";
inline constexpr const char kCheckTheDrive[] =
    "ドライブが書き込み禁止になっていないか、取り外されていないか、空き容量が足りているか、"
    "ファイルが読み取り専用や使用中になっていないかを確認してください。";

}  // namespace verrow::text
