<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CConversationWindow</name>
    <message>
        <source>会話の途中までです: %1</source>
        <translation>Only part of the conversation: %1</translation>
    </message>
    <message>
        <source>会話</source>
        <translation>Conversation</translation>
    </message>
</context>
<context>
    <name>CDialogPost</name>
    <message>
        <source>Tweet Form</source>
        <translation>New Post</translation>
    </message>
    <message>
        <source>書き込む</source>
        <translation>Post</translation>
    </message>
    <message>
        <source>応答を読めませんでした</source>
        <translation>The response could not be read</translation>
    </message>
    <message>
        <source>書き込めませんでした。
%1</source>
        <translation>The status could not be posted.
%1</translation>
    </message>
    <message>
        <source>ダイレクトメッセージ</source>
        <translation>Direct Message</translation>
    </message>
    <message>
        <source>送信</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>宛先のスクリーンネーム</source>
        <translation>Screen name of the recipient</translation>
    </message>
    <message>
        <source>送信できませんでした。
%1</source>
        <translation>The message could not be sent.
%1</translation>
    </message>
    <message>
        <source>%1 文字を %2 文字超えています。送る前に短くしてください。</source>
        <translation>The text is %2 characters over the limit of %1. Shorten it before sending.</translation>
    </message>
</context>
<context>
    <name>CDialogSetting</name>
    <message>
        <source>SettingDialog</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>TwitterID</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>ユーザ名表示方式</source>
        <translation>User names</translation>
    </message>
    <message>
        <source>ニックネーム表示</source>
        <translation>Show nicknames</translation>
    </message>
    <message>
        <source>スクリーンネーム表示</source>
        <translation>Show screen names</translation>
    </message>
    <message>
        <source>自動更新</source>
        <translation>Automatic reload</translation>
    </message>
    <message>
        <source>しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>する(3分毎)</source>
        <translation>Every 3 minutes</translation>
    </message>
    <message>
        <source>変更を保存せずに閉じますか?</source>
        <translation>Close without saving the changes?</translation>
    </message>
    <message>
        <source>サーバーのアドレス、アカウント名とパスワードを入力してください。</source>
        <translation>Enter the address of your server, your account name and your password.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CSearchBar</name>
    <message>
        <source>ログを検索: 語 &quot;句&quot; -語 from: in: since: until: is:</source>
        <translation>Search the logs: word &quot;phrase&quot; -word from: in: since: until: is:</translation>
    </message>
    <message>
        <source>%1 件 (新しい %2 件)</source>
        <translation>%1 (newest %2 shown)</translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation>%1 found</translation>
    </message>
    <message>
        <source>%1 / %2 日</source>
        <translation>%1 / %2 days</translation>
    </message>
</context>
<context>
    <name>CSearchController</name>
    <message>
        <source>アカウントが設定されていません</source>
        <translation>No account is set</translation>
    </message>
</context>
<context>
    <name>CSearchResults</name>
    <message>
        <source>お気に入りを変更できませんでした</source>
        <translation>The favourite could not be changed</translation>
    </message>
</context>
<context>
    <name>CTabMain</name>
    <message>
        <source>Timeline</source>
        <translation>Timeline</translation>
    </message>
    <message>
        <source>Mentions</source>
        <translation>Mentions</translation>
    </message>
    <message>
        <source>DirectMessages</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Lists</source>
        <translation>Lists</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>未読 %1 件</source>
        <translation>%1 unread</translation>
    </message>
    <message>
        <source>取得中</source>
        <translation>Fetching…</translation>
    </message>
    <message>
        <source>読み込み中</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>お気に入りを変更できませんでした</source>
        <translation>The favourite could not be changed</translation>
    </message>
    <message>
        <source>投稿しました</source>
        <translation>Posted</translation>
    </message>
    <message>
        <source>投稿</source>
        <translation>Post</translation>
    </message>
    <message>
        <source>取得を中止しました</source>
        <translation>Fetch cancelled</translation>
    </message>
    <message>
        <source>新着 %1 件 ▼</source>
        <translation>%1 new ▼</translation>
    </message>
    <message>
        <source>このサーバーには保存した検索がありません</source>
        <translation>This server has no saved searches</translation>
    </message>
    <message>
        <source>このサーバーにはリストの購読がありません</source>
        <translation>This server has no list subscriptions</translation>
    </message>
    <message>
        <source>この発言をリツイートしますか?
%1</source>
        <translation>Repeat this status?
%1</translation>
    </message>
    <message>
        <source>リツイートできませんでした</source>
        <translation>The status could not be repeated</translation>
    </message>
    <message>
        <source>リツイートしました</source>
        <translation>Repeated</translation>
    </message>
    <message>
        <source>この発言を削除しますか?
%1</source>
        <translation>Delete this status?
%1</translation>
    </message>
    <message>
        <source>削除できませんでした</source>
        <translation>The status could not be deleted</translation>
    </message>
    <message>
        <source>削除しました</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>返信ではありません</source>
        <translation>Not a reply</translation>
    </message>
    <message>
        <source>返信</source>
        <translation>Reply</translation>
    </message>
    <message>
        <source>お気に入りの切り替え</source>
        <translation>Toggle favourite</translation>
    </message>
    <message>
        <source>リツイート</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>会話を表示</source>
        <translation>Show conversation</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>送信しました</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>送信</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>会話</source>
        <translation>Conversation</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message numerus="yes">
        <source>新しいメンション %n 件</source>
        <translation>
            <numerusform>%n new mention</numerusform>
            <numerusform>%n new mentions</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>新しいダイレクトメッセージ %n 件</source>
        <translation>
            <numerusform>%n new direct message</numerusform>
            <numerusform>%n new direct messages</numerusform>
        </translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
</context>
<context>
    <name>OpenLink</name>
    <message>
        <source>ブラウザを起動できませんでした。
%1</source>
        <translation>The web browser could not be started.
%1</translation>
    </message>
</context>
<context>
    <name>PreferencesPart</name>
    <message>
        <source>環境設定</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>新着を通知する</source>
        <translation>Notify of new arrivals</translation>
    </message>
    <message>
        <source>トレイに表示する</source>
        <translation>Show in the tray</translation>
    </message>
    <message>
        <source>閉じてもトレイに残る</source>
        <translation>Close to the tray</translation>
    </message>
    <message>
        <source>時刻を日本時間で表示する</source>
        <translation>Show times in Japan time</translation>
    </message>
</context>
<context>
    <name>ServerPart</name>
    <message>
        <source>%1、文字数の上限 %2</source>
        <translation>%1, text limit %2</translation>
    </message>
    <message>
        <source>%1、文字数の上限なし</source>
        <translation>%1, no text limit</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>サービスのホストを使います (setting/service.conf)</source>
        <translation>Using the service&apos;s hosts (setting/service.conf)</translation>
    </message>
    <message>
        <source>サーバーのアドレスを入力してください</source>
        <translation>Enter your server&apos;s address</translation>
    </message>
    <message>
        <source>確認中…</source>
        <translation>Checking…</translation>
    </message>
</context>
<context>
    <name>Shortcuts</name>
    <message>
        <source>再読込 (%1)</source>
        <translation>Reload (%1)</translation>
    </message>
    <message>
        <source>既読にする (%1、%2 でカーソルの前まで)</source>
        <translation>Mark as read (%1; %2 up to the caret)</translation>
    </message>
    <message>
        <source>返信 (%1)</source>
        <translation>Reply (%1)</translation>
    </message>
    <message>
        <source>お気に入りの切り替え (%1)</source>
        <translation>Toggle favourite (%1)</translation>
    </message>
    <message>
        <source>新規投稿 (%1)</source>
        <translation>New post (%1)</translation>
    </message>
    <message>
        <source>設定 (%1)</source>
        <translation>Settings (%1)</translation>
    </message>
    <message>
        <source>書き込む (%1)</source>
        <translation>Post (%1)</translation>
    </message>
    <message>
        <source>リツイート (%1)</source>
        <translation>Repeat (%1)</translation>
    </message>
    <message>
        <source>ログを検索 (%1)</source>
        <translation>Search the logs (%1)</translation>
    </message>
</context>
<context>
    <name>StatusText</name>
    <message>
        <source>アカウント名かパスワードが受け付けられません</source>
        <translation>The account name or password is refused</translation>
    </message>
    <message>
        <source>%1 に接続できません</source>
        <translation>Cannot reach %1</translation>
    </message>
    <message>
        <source>サーバーのエラー: %1</source>
        <translation>The server answered with an error: %1</translation>
    </message>
    <message>
        <source>サーバーの応答を理解できません</source>
        <translation>The server&apos;s answer was not understood</translation>
    </message>
    <message>
        <source>設定を開く</source>
        <translation>Open the settings</translation>
    </message>
    <message>
        <source>アカウントがありません: 設定を開いてください (%1)</source>
        <translation>No account yet: open the settings (%1)</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Warblet: 未読 %1 件</source>
        <translation>Warblet: %1 unread</translation>
    </message>
    <message>
        <source>表示/非表示</source>
        <translation>Show/Hide</translation>
    </message>
    <message>
        <source>すべて再読込</source>
        <translation>Reload all</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
