<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>MainFormView</name>
    <message>
        <source>ﾌｫﾙﾀﾞを読めませんでした.
%1</source>
        <translation>The folder could not be read.
%1</translation>
    </message>
    <message>
        <source>縮小画像と同じ名前になります.</source>
        <translation>It would take the name of a reduced copy.</translation>
    </message>
    <message>
        <source>同じ名前の画像があります.</source>
        <translation>An image of that name is in the way.</translation>
    </message>
    <message>
        <source>同じ名前のﾌｧｲﾙ以外のものがあります.</source>
        <translation>Something of that name that is not a file is in the way.</translation>
    </message>
    <message>
        <source>別のﾌｫﾙﾀﾞのﾘｽﾄがあります.</source>
        <translation>The list of another folder is in the way.</translation>
    </message>
    <message>
        <source>このﾂｰﾙで作成したﾘｽﾄではないﾌｧｲﾙがあります.</source>
        <translation>A file that this tool did not write is in the way.</translation>
    </message>
    <message>
        <source>ﾘｽﾄを作成しませんでした.
%1
%2</source>
        <translation>The list was not written.
%1
%2</translation>
    </message>
</context>
<context>
    <name>RunMessageText</name>
    <message>
        <source>ﾊﾟｽの階層が少な過ぎます.</source>
        <translation>The path has too few levels.</translation>
    </message>
    <message>
        <source>ﾊﾟｽの階層が少な過ぎます.
2階層以上深く設定して下さい.</source>
        <translation>The path has too few levels.
Choose a folder at least two levels deep.</translation>
    </message>
    <message>
        <source>5桁数値ﾊﾟｽが見つかりませんでした.
%1
連続作成を終了します.</source>
        <translation>No five-digit numbered folder was found.
%1
The continuous run ends.</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞではありません.
%1</source>
        <translation>This is not a folder.
%1</translation>
    </message>
    <message>
        <source>ﾊﾟｽが長過ぎます.
%1</source>
        <translation>The path is too long.
%1</translation>
    </message>
    <message>
        <source>保存に失敗しました.
%1</source>
        <translation>Could not save.
%1</translation>
    </message>
    <message>
        <source>縮小画像ではないﾌｧｲﾙがあります.
%1</source>
        <translation>A file that is not a reduced copy is in the way.
%1</translation>
    </message>
    <message>
        <source>HTMLﾘｽﾄ名が正しくありません.
%1</source>
        <translation>The HTML list name cannot name a page.
%1</translation>
    </message>
    <message>
        <source>予期しないｴﾗｰで作成を中断しました.</source>
        <translation>The run stopped on an unexpected error.</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞがありません.
%1</source>
        <translation>This folder does not exist.
%1</translation>
    </message>
    <message>
        <source>別のﾌｫﾙﾀﾞの同じ名前の縮小画像があります.
%1</source>
        <translation>A reduced copy of another folder&apos;s image of the same name is in the way.
%1</translation>
    </message>
    <message>
        <source>縮小画像が大き過ぎるため作成しませんでした.
%1</source>
        <translation>The reduced copy would be too large; it was not made.
%1</translation>
    </message>
    <message>
        <source>画像が大き過ぎるため縮小画像を作成しませんでした.
%1
%2</source>
        <translation>The image is too large for a reduced copy; none was made.
%1
%2</translation>
    </message>
</context>
<context>
    <name>ShowList</name>
    <message>
        <source>指定されたファイルが見つかりませんでした。
%1</source>
        <translation>The file was not found.
%1</translation>
    </message>
    <message>
        <source>%1 は関連付けられていません.</source>
        <translation>No program is associated with %1.</translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>画像ﾌｫﾙﾀﾞからHTMLの一覧ﾍﾟｰｼﾞを作るﾌﾘｰｿﾌﾄです。</source>
        <translation>Free software that makes HTML list pages of image folders.</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>予期しないｴﾗｰが発生しました.</source>
        <translation>An unexpected error occurred.</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>設定ﾌｧｲﾙが大き過ぎます.
%1
既定値を使用します.</source>
        <translation>The settings file is too large.
%1
The defaults are used.</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙを読めませんでした.
%1
既定値を使用します.</source>
        <translation>The settings file could not be read.
%1
The defaults are used.</translation>
    </message>
    <message>
        <source>作成...</source>
        <translation>Make...</translation>
    </message>
    <message>
        <source>[Ctrl]+[M]でも作成</source>
        <translation>Make (also [Ctrl]+[M])</translation>
    </message>
    <message>
        <source>ﾘｽﾄ表示</source>
        <translation>Show list</translation>
    </message>
    <message>
        <source>[Ctrl]+[V]でも表示</source>
        <translation>Show the list (also [Ctrl]+[V])</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>[Ctrl]+[A]でも中止</source>
        <translation>Abort (also [Ctrl]+[A])</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>[Alt]+[F4]でも終了</source>
        <translation>Exit (also [Alt]+[F4])</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>作成(&amp;M)...</source>
        <translation>&amp;Make...</translation>
    </message>
    <message>
        <source>中止(&amp;A)</source>
        <translation>&amp;Abort</translation>
    </message>
    <message>
        <source>ﾘｽﾄ表示(&amp;H)</source>
        <translation>S&amp;how list</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)...</source>
        <translation>&amp;Help...</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙに範囲外の値があります.
%1
%2
範囲内の値を使用します.</source>
        <translation>The settings file holds values out of range.
%1
%2
The nearest values in range are used.</translation>
    </message>
</context>
<context>
    <name>TSettingForm</name>
    <message>
        <source>作成条件設定</source>
        <translation>Creation Conditions</translation>
    </message>
    <message>
        <source>HTMLﾘｽﾄ名</source>
        <translation>List name</translation>
    </message>
    <message>
        <source>ﾘｽﾄｶﾗﾑ数</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>表示/縮小画像最大ﾋﾟｸｾﾙ数</source>
        <translation>Longest side in pixels</translation>
    </message>
    <message>
        <source>縮小画像の作成(&amp;S)</source>
        <translation>Make &amp;small copies</translation>
    </message>
    <message>
        <source>元画像のﾘｽﾄも同時作成(&amp;A)</source>
        <translation>&amp;Also list the originals</translation>
    </message>
    <message>
        <source>表示最大ﾋﾟｸｾﾙ数</source>
        <translation>Longest side</translation>
    </message>
    <message>
        <source>無条件に画像を生成する(&amp;G)</source>
        <translation>Always re&amp;generate copies</translation>
    </message>
    <message>
        <source>連続作成を行う(&amp;C)</source>
        <translation>&amp;Continuous run</translation>
    </message>
    <message>
        <source>小さい画像は拡大する(&amp;Z)</source>
        <translation>&amp;Zoom small images</translation>
    </message>
    <message>
        <source>ﾘｽﾄ内表示</source>
        <translation>In the list</translation>
    </message>
    <message>
        <source>Next/Prevの作成(&amp;N)</source>
        <translation>&amp;Next/Prev links</translation>
    </message>
    <message>
        <source>画像情報の表示(&amp;I)</source>
        <translation>Image t&amp;ype</translation>
    </message>
    <message>
        <source>画像ｻｲｽﾞの表示(&amp;J)</source>
        <translation>&amp;Image size</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙｻｲｽﾞの表示(&amp;F)</source>
        <translation>&amp;File size</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ日時の表示(&amp;D)</source>
        <translation>File &amp;date</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ時刻も表示(&amp;T)</source>
        <translation>With the &amp;time</translation>
    </message>
    <message>
        <source>画像の処理</source>
        <translation>Image handling</translation>
    </message>
    <message>
        <source>写真の向きを補正(&amp;R)</source>
        <translation>&amp;Rotate photos upright</translation>
    </message>
    <message>
        <source>なめらかに縮小(&amp;M)</source>
        <translation>S&amp;mooth reduction</translation>
    </message>
    <message>
        <source>PNG/WebP/HEIC/AVIFも対象(&amp;W)</source>
        <translation>PNG, &amp;WebP, HEIC and AVIF too</translation>
    </message>
    <message>
        <source>作成開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>設定のみ(&amp;1)</source>
        <translation>Sa&amp;ve only</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>一つ下のﾌｫﾙﾀﾞに画像とﾘｽﾄが作成されます。</source>
        <translation>Reduced copies and their list go into the folder above.</translation>
    </message>
    <message>
        <source>5桁の数値のﾌｫﾙﾀを指定した場合のみ有効です。</source>
        <translation>Works only in folders named with five digits.</translation>
    </message>
    <message>
        <source>画像ｻｲｽﾞをﾋﾟｸｾﾙ単位で表示します。</source>
        <translation>Shows the image size in pixels.</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙｻｲｽﾞをﾊﾞｲﾄ単位で表示します。</source>
        <translation>Shows the file size in bytes.</translation>
    </message>
    <message>
        <source>指定ｻｲｽﾞより小さい画像は拡大してﾘｽﾄ作成します。</source>
        <translation>Enlarges images smaller than the longest side.</translation>
    </message>
    <message>
        <source>5桁の数値ﾌｫﾙﾀﾞをまたがって連続に作成します。</source>
        <translation>Goes on through the following five-digit folders.</translation>
    </message>
    <message>
        <source>作成済み画像ﾌｧｲﾙが存在しても作成します。</source>
        <translation>Makes copies again even where they exist.</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙのﾀｲﾌﾟを表示します。</source>
        <translation>Shows the type of each image file.</translation>
    </message>
    <message>
        <source>大きい画像ﾘｽﾄも同時に作成する時に使用します。</source>
        <translation>Also makes a list of the full-size images.</translation>
    </message>
    <message>
        <source>ﾃﾞｼﾞｶﾒ写真の向き情報(EXIF)に従って正しい向きで表示します。</source>
        <translation>Shows photos upright by their EXIF orientation.</translation>
    </message>
    <message>
        <source>縮小画像を画素の平均で作成します。ﾓｱﾚが出にくくなります。</source>
        <translation>Reduces by averaging pixels: less moiré.</translation>
    </message>
    <message>
        <source>PNG・WebP・HEIC・AVIFの画像もﾘｽﾄに加えます。HEICは縮小画像を作成する時だけです。</source>
        <translation>Lists PNG, WebP, HEIC and AVIF images too (HEIC only with reduced copies).</translation>
    </message>
    <message>
        <source>動画も対象(&amp;V)</source>
        <translation>Vid&amp;eos too</translation>
    </message>
    <message>
        <source>MP4/MOV/WebMの動画もﾘｽﾄに加えます(縮小画像の作成時のみ)。</source>
        <translation>Lists MP4, MOV and WebM videos too (with reduced images only).</translation>
    </message>
    <message>
        <source>ﾘｽﾄの形式</source>
        <translation>List style</translation>
    </message>
    <message>
        <source>ﾍﾟｰｼﾞ</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>表</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>ｷﾞｬﾗﾘｰ</source>
        <translation>Gallery</translation>
    </message>
    <message>
        <source>並び順</source>
        <translation>Order</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>撮影日時</source>
        <translation>Date taken</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ日時</source>
        <translation>File date</translation>
    </message>
    <message>
        <source>ｷﾞｬﾗﾘｰはｽﾏｰﾄﾌｫﾝでも見やすく、大きなﾌｫﾙﾀﾞでも軽いﾍﾟｰｼﾞです。</source>
        <translation>A gallery reads well on a phone and stays light for large folders.</translation>
    </message>
    <message>
        <source>撮影日時はﾃﾞｼﾞｶﾒ写真の情報(EXIF)、無い時はﾌｧｲﾙ日時です。</source>
        <translation>Date taken is the photo&apos;s own date (EXIF), else its file date.</translation>
    </message>
</context>
<context>
    <name>Tool</name>
    <message>
        <source>HTML画像ﾘｽﾄ作成ﾂｰﾙ</source>
        <translation>HTML Image List Maker</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>settings file: %1</source>
        <translation>settings file: %1</translation>
    </message>
</context>
</TS>
