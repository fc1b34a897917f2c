<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Vignettor</source>
        <translation>Über Vignettor</translation>
    </message>
    <message>
        <source>Vignettor icon</source>
        <translation>Vignettor-Symbol</translation>
    </message>
    <message>
        <source>Open the Vignettor manual in the browser</source>
        <translation>Das Vignettor-Handbuch im Browser öffnen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Credits...</source>
        <translation>&amp;Danksagungen...</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Webseite</translation>
    </message>
</context>
<context>
    <name>CCompositePage</name>
    <message>
        <source>Composite Files</source>
        <translation>Kontaktabzug-Dateien</translation>
    </message>
    <message>
        <source>Sheet</source>
        <translation>Bogen</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>File Names</source>
        <translation>Dateinamen</translation>
    </message>
    <message>
        <source>Arial, 12 pt</source>
        <translation>Arial, 12 pt</translation>
    </message>
    <message>
        <source>&amp;Create Composite Image</source>
        <translation>&amp;Kontaktabzug erstellen</translation>
    </message>
    <message>
        <source>Base &amp;Name</source>
        <translation>&amp;Basisname</translation>
    </message>
    <message>
        <source>&amp;Output Format</source>
        <translation>&amp;Ausgabeformat</translation>
    </message>
    <message>
        <source>&amp;Write to Output Sub-folders</source>
        <translation>In &amp;Unterordner der Ausgabe schreiben</translation>
    </message>
    <message>
        <source>Write &amp;to Root Output Folder</source>
        <translation>&amp;In den obersten Ausgabeordner schreiben</translation>
    </message>
    <message>
        <source>&amp;Rows</source>
        <translation>&amp;Zeilen</translation>
    </message>
    <message>
        <source>Co&amp;lumns</source>
        <translation>Spa&amp;lten</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>&amp;Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Write Filename Below &amp;Image</source>
        <translation>&amp;Dateinamen unter das Bild schreiben</translation>
    </message>
    <message>
        <source>&amp;Font...</source>
        <translation>&amp;Schrift...</translation>
    </message>
</context>
<context>
    <name>CFontChooser</name>
    <message>
        <source>Font</source>
        <translation>Schrift</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>Beispiel</translation>
    </message>
    <message>
        <source>AaBbYyZz</source>
        <translation>AaBbYyZz</translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Schrift:</translation>
    </message>
    <message>
        <source>&amp;Size:</source>
        <translation>&amp;Größe:</translation>
    </message>
    <message>
        <source>&amp;Color:</source>
        <translation>&amp;Farbe:</translation>
    </message>
</context>
<context>
    <name>CHTMLPage</name>
    <message>
        <source>HTML Files</source>
        <translation>HTML-Dateien</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Endung</translation>
    </message>
    <message>
        <source>.htm</source>
        <translation>.htm</translation>
    </message>
    <message>
        <source>.html</source>
        <translation>.html</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>Anordnung</translation>
    </message>
    <message>
        <source>Write Optional Image Formats</source>
        <translation>Zusätzliche Bildformate schreiben</translation>
    </message>
    <message>
        <source>TIFF</source>
        <translation>TIFF</translation>
    </message>
    <message>
        <source>Links</source>
        <translation>Verknüpfungen</translation>
    </message>
    <message>
        <source>Source Pages With Output</source>
        <translation>Quellseiten bei der Ausgabe</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Page Links</source>
        <translation>Seitenverknüpfungen</translation>
    </message>
    <message>
        <source>C&amp;reate HTML Files</source>
        <translation>HTML-&amp;Dateien erstellen</translation>
    </message>
    <message>
        <source>&amp;HTML Base Filename</source>
        <translation>&amp;HTML-Basisdateiname</translation>
    </message>
    <message>
        <source>&amp;Images Per HTML File</source>
        <translation>Bilder &amp;je HTML-Datei</translation>
    </message>
    <message>
        <source>Suppress Suffix &amp;on First File</source>
        <translation>&amp;Kein Suffix bei der ersten Datei</translation>
    </message>
    <message>
        <source>&amp;Generate Index File</source>
        <translation>Indexdatei &amp;erzeugen</translation>
    </message>
    <message>
        <source>&amp;Sub-folder Index Files</source>
        <translation>&amp;Indexdateien für Unterordner</translation>
    </message>
    <message>
        <source>&amp;Make Table</source>
        <translation>&amp;Tabelle erstellen</translation>
    </message>
    <message>
        <source>&amp;Columns</source>
        <translation>Spa&amp;lten</translation>
    </message>
    <message>
        <source>Hori&amp;zontal Image Layout</source>
        <translation>Bilder &amp;waagerecht anordnen</translation>
    </message>
    <message>
        <source>Image &amp;Titles</source>
        <translation>&amp;Bildtitel</translation>
    </message>
    <message>
        <source>&amp;PNG</source>
        <translation>&amp;PNG</translation>
    </message>
    <message>
        <source>&amp;BMP</source>
        <translation>B&amp;MP</translation>
    </message>
    <message>
        <source>PC&amp;X</source>
        <translation>PC&amp;X</translation>
    </message>
    <message>
        <source>Create &amp;Links to Input Images</source>
        <translation>Verknüpfungen &amp;zu den Eingabebildern erstellen</translation>
    </message>
    <message>
        <source>&amp;Use Title Text as Link</source>
        <translation>Titeltext &amp;als Verknüpfung verwenden</translation>
    </message>
    <message>
        <source>&amp;No Source Image Pages</source>
        <translation>Keine &amp;Seiten für Quellbilder</translation>
    </message>
    <message>
        <source>Source Pages &amp;With Input</source>
        <translation>&amp;Quellseiten bei der Eingabe</translation>
    </message>
    <message>
        <source>Prev / Next Page lin&amp;ks</source>
        <translation>Verknüpfungen zur vorigen / &amp;nächsten Seite</translation>
    </message>
    <message>
        <source>Pre&amp;vious Page Label</source>
        <translation>Beschriftung „&amp;Vorige Seite“</translation>
    </message>
    <message>
        <source>N&amp;ext Page Label</source>
        <translation>Bes&amp;chriftung „Nächste Seite“</translation>
    </message>
    <message>
        <source>&amp;Appearance..</source>
        <translation>A&amp;ussehen...</translation>
    </message>
    <message>
        <source>Hea&amp;der...</source>
        <translation>K&amp;opfzeile...</translation>
    </message>
    <message>
        <source>&amp;Footer...</source>
        <translation>&amp;Fußzeile...</translation>
    </message>
</context>
<context>
    <name>CHtmlAppearanceDialog</name>
    <message>
        <source>HTML Appearance</source>
        <translation>HTML-Aussehen</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>Farben</translation>
    </message>
    <message>
        <source>Text Color</source>
        <translation>Textfarbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Link Text Color</source>
        <translation>Farbe der Verknüpfungen</translation>
    </message>
    <message>
        <source>VLink Text Color</source>
        <translation>Farbe besuchter Verknüpfungen</translation>
    </message>
    <message>
        <source>Sizes</source>
        <translation>Größen</translation>
    </message>
    <message>
        <source>Text &amp;Color</source>
        <translation>Te&amp;xtfarbe</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>&amp;Hintergrundfarbe</translation>
    </message>
    <message>
        <source>&amp;Link Text Color</source>
        <translation>Farbe &amp;der Verknüpfungen</translation>
    </message>
    <message>
        <source>VL&amp;ink Text Color</source>
        <translation>&amp;Farbe besuchter Verknüpfungen</translation>
    </message>
    <message>
        <source>Text &amp;Size</source>
        <translation>T&amp;extgröße</translation>
    </message>
    <message>
        <source>&amp;Table Border Width</source>
        <translation>Rahmenbreite der &amp;Tabelle</translation>
    </message>
    <message>
        <source>Image Border &amp;Width</source>
        <translation>&amp;Rahmenbreite der Bilder</translation>
    </message>
    <message>
        <source>Image &amp;VSpace</source>
        <translation>&amp;Senkrechter Bildabstand</translation>
    </message>
    <message>
        <source>Image &amp;HSpace</source>
        <translation>&amp;Waagerechter Bildabstand</translation>
    </message>
</context>
<context>
    <name>CHtmlTextDialog</name>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Enter your text. This may contain HTML code.</source>
        <translation>Geben Sie Ihren Text ein. Er darf HTML-Code enthalten.</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Browse for the file to include</source>
        <translation>Die einzufügende Datei suchen</translation>
    </message>
    <message>
        <source>&amp;Text</source>
        <translation>&amp;Text</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
</context>
<context>
    <name>CImagePage</name>
    <message>
        <source>Matte</source>
        <translation>Passepartout</translation>
    </message>
    <message>
        <source>Matte Color</source>
        <translation>Passepartoutfarbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>Enhancements</source>
        <translation>Verbesserungen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Browse for the user LUT file</source>
        <translation>Die eigene LUT-Datei suchen</translation>
    </message>
    <message>
        <source>Sharpening</source>
        <translation>Schärfung</translation>
    </message>
    <message>
        <source>Sharpen Level</source>
        <translation>Schärfungsstufe</translation>
    </message>
    <message>
        <source>Reduction</source>
        <translation>Verkleinerung</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>JPEG and WebP photos are turned as the camera recorded (EXIF orientation) before anything else is done to them. HEIC and AVIF pictures always show as their file says.</source>
        <translation>JPEG- und WebP-Fotos werden vor allen anderen Schritten so gedreht, wie die Kamera es vermerkt hat (EXIF-Ausrichtung). HEIC- und AVIF-Bilder erscheinen immer so, wie ihre Datei es angibt.</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>JPEG, PNG and TIFF pictures that carry a colour profile are converted to sRGB as they are read. HEIC, AVIF and WebP pictures always are.</source>
        <translation>JPEG-, PNG- und TIFF-Bilder mit einem Farbprofil werden beim Lesen nach sRGB umgerechnet. HEIC-, AVIF- und WebP-Bilder immer.</translation>
    </message>
    <message>
        <source>&amp;Background Matte</source>
        <translation>&amp;Hintergrund-Passepartout</translation>
    </message>
    <message>
        <source>&amp;Matte Color</source>
        <translation>&amp;Passepartoutfarbe</translation>
    </message>
    <message>
        <source>&amp;None</source>
        <translation>Kei&amp;ne</translation>
    </message>
    <message>
        <source>&amp;Raise Contrast</source>
        <translation>Kontrast &amp;erhöhen</translation>
    </message>
    <message>
        <source>Line &amp;Art Contrast</source>
        <translation>&amp;Kontrast für Strichzeichnungen</translation>
    </message>
    <message>
        <source>&amp;Lighten Midtones</source>
        <translation>Mitte&amp;ltöne aufhellen</translation>
    </message>
    <message>
        <source>&amp;Darken Midtones</source>
        <translation>&amp;Mitteltöne abdunkeln</translation>
    </message>
    <message>
        <source>Apply &amp;User LUT</source>
        <translation>Eigene &amp;Tonwertkurve (LUT) anwenden</translation>
    </message>
    <message>
        <source>User LUT &amp;Path</source>
        <translation>Pfad &amp;der eigenen LUT</translation>
    </message>
    <message>
        <source>&amp;Sharpen</source>
        <translation>S&amp;chärfen</translation>
    </message>
    <message>
        <source>Le&amp;vel</source>
        <translation>&amp;Stufe</translation>
    </message>
    <message>
        <source>Use Bi-linear &amp;interpolation for reduction</source>
        <translation>Beim Verkleinern bilinear &amp;interpolieren</translation>
    </message>
    <message>
        <source>&amp;Turn photos upright</source>
        <translation>Fotos &amp;aufrichten</translation>
    </message>
    <message>
        <source>&amp;Convert colour profiles to sRGB</source>
        <translation>&amp;Farbprofile nach sRGB umrechnen</translation>
    </message>
</context>
<context>
    <name>CJPGPage</name>
    <message>
        <source>JPEG Compression</source>
        <translation>JPEG-Kompression</translation>
    </message>
    <message>
        <source>Higher quality results in lower image compression. 
The default is 75.</source>
        <translation>Höhere Qualität bedeutet geringere Kompression. 
Die Voreinstellung ist 75.</translation>
    </message>
    <message>
        <source>JPEG Reading</source>
        <translation>JPEG lesen</translation>
    </message>
    <message>
        <source>Photos are decoded at the smallest reduced scale that still gives twice the thumbnail&apos;s size: much faster for small thumbnails, with slightly different pixels.</source>
        <translation>Fotos werden im kleinsten Maßstab dekodiert, der noch die doppelte Größe des Miniaturbilds ergibt: bei kleinen Miniaturbildern viel schneller, mit leicht abweichenden Pixeln.</translation>
    </message>
    <message>
        <source>&amp;Quality</source>
        <translation>&amp;Qualität</translation>
    </message>
    <message>
        <source>&amp;Fast draft decoding</source>
        <translation>&amp;Schnelles Entwurfsdekodieren</translation>
    </message>
</context>
<context>
    <name>CLogPage</name>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the log file</source>
        <translation>Die Protokolldatei wählen</translation>
    </message>
    <message>
        <source>Path to log file must exist. This will not create subdirectories!</source>
        <translation>Der Ordner der Protokolldatei muss bestehen. Unterordner werden nicht angelegt!</translation>
    </message>
    <message>
        <source>Items to write</source>
        <translation>Zu schreibende Angaben</translation>
    </message>
    <message>
        <source>&amp;Create Log File</source>
        <translation>Protokolldatei &amp;erstellen</translation>
    </message>
    <message>
        <source>&amp;Append To Existing File</source>
        <translation>An &amp;bestehende Datei anhängen</translation>
    </message>
    <message>
        <source>&amp;Log file</source>
        <translation>Protoko&amp;lldatei</translation>
    </message>
    <message>
        <source>&amp;Batch Header</source>
        <translation>&amp;Kopfdaten des Stapels</translation>
    </message>
    <message>
        <source>&amp;Input File Name</source>
        <translation>&amp;Name der Eingabedatei</translation>
    </message>
    <message>
        <source>Input &amp;Dimensions</source>
        <translation>Maße &amp;der Eingabe</translation>
    </message>
    <message>
        <source>O&amp;utput File Name</source>
        <translation>Name der &amp;Ausgabedatei</translation>
    </message>
    <message>
        <source>&amp;Output Dimensions</source>
        <translation>&amp;Maße der Ausgabe</translation>
    </message>
    <message>
        <source>&amp;PNG Text Fields</source>
        <translation>&amp;PNG-Textfelder</translation>
    </message>
</context>
<context>
    <name>COperationPage</name>
    <message>
        <source>Batch Run</source>
        <translation>Stapellauf</translation>
    </message>
    <message>
        <source>No questions and no message boxes during a run: errors are written to the error log pane of the main window.</source>
        <translation>Keine Fragen und keine Meldungsfenster während eines Laufs: Fehler erscheinen im Fehlerprotokoll des Hauptfensters.</translation>
    </message>
    <message>
        <source>0 works on one file per processor core, 1 on one file at a time. What a run writes is the same either way.</source>
        <translation>0 bearbeitet eine Datei je Prozessorkern, 1 eine Datei nach der anderen. Was ein Lauf schreibt, ist in beiden Fällen gleich.</translation>
    </message>
    <message>
        <source>What all the files being worked on may hold at once. 0 takes half of this computer&apos;s memory, at most 2048 MB. A file that does not fit waits for the others.</source>
        <translation>Wie viel Speicher alle gerade bearbeiteten Dateien zusammen belegen dürfen. 0 nimmt die Hälfte des Arbeitsspeichers dieses Rechners, höchstens 2048 MB. Eine Datei, die nicht hineinpasst, wartet auf die anderen.</translation>
    </message>
    <message>
        <source>Defaults</source>
        <translation>Voreinstellungen</translation>
    </message>
    <message>
        <source>All options will be reset when you press OK.</source>
        <translation>Alle Einstellungen werden zurückgesetzt, sobald Sie OK drücken.</translation>
    </message>
    <message>
        <source>Snapshrink Context Menu Extension</source>
        <translation>Snapshrink im Kontextmenü</translation>
    </message>
    <message>
        <source>Adds the command &quot;Snapshrink...&quot; to the file manager&apos;s menu for image files.</source>
        <translation>Fügt dem Kontextmenü der Dateiverwaltung für Bilddateien den Befehl „Snapshrink...“ hinzu.</translation>
    </message>
    <message>
        <source>&amp;Silent Operation</source>
        <translation>&amp;Ohne Rückfragen</translation>
    </message>
    <message>
        <source>&amp;Files at a time</source>
        <translation>Dateien &amp;gleichzeitig</translation>
    </message>
    <message>
        <source>&amp;Memory for files in hand (MB)</source>
        <translation>Speicher für Dateien in Arbeit (&amp;MB)</translation>
    </message>
    <message>
        <source>&amp;Reset all options</source>
        <translation>Alle &amp;Einstellungen zurücksetzen</translation>
    </message>
    <message>
        <source>&amp;Enable</source>
        <translation>&amp;Aktivieren</translation>
    </message>
    <message>
        <source>&amp;Disable</source>
        <translation>&amp;Deaktivieren</translation>
    </message>
</context>
<context>
    <name>COutputPage</name>
    <message>
        <source>Output File Names</source>
        <translation>Namen der Ausgabedateien</translation>
    </message>
    <message>
        <source>Auto Numeric Suffix</source>
        <translation>Automatische Nummer anhängen</translation>
    </message>
    <message>
        <source>Text Prefix</source>
        <translation>Text voranstellen</translation>
    </message>
    <message>
        <source>Text Suffix</source>
        <translation>Text anhängen</translation>
    </message>
    <message>
        <source>Case</source>
        <translation>Schreibweise</translation>
    </message>
    <message>
        <source>Upper</source>
        <translation>Großbuchstaben</translation>
    </message>
    <message>
        <source>Input Name Filter</source>
        <translation>Filter für Eingabenamen</translation>
    </message>
    <message>
        <source>Input Format Filter</source>
        <translation>Filter für Eingabeformate</translation>
    </message>
    <message>
        <source>Date Filter</source>
        <translation>Datumsfilter</translation>
    </message>
    <message>
        <source>dd/mm/yyyy</source>
        <translation>tt/mm/jjjj</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nach</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Sort Before Processing</source>
        <translation>Vor der Verarbeitung sortieren</translation>
    </message>
    <message>
        <source>Alphabetic</source>
        <translation>Alphabetisch</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>O&amp;verwrite</source>
        <translation>Ü&amp;berschreiben</translation>
    </message>
    <message>
        <source>P&amp;refix / Suffix</source>
        <translation>Präfix / &amp;Suffix</translation>
    </message>
    <message>
        <source>No &amp;Change</source>
        <translation>Unv&amp;erändert</translation>
    </message>
    <message>
        <source>&amp;Lower</source>
        <translation>&amp;Kleinbuchstaben</translation>
    </message>
    <message>
        <source>&amp;JPG</source>
        <translation>&amp;JPG</translation>
    </message>
    <message>
        <source>&amp;PNG</source>
        <translation>&amp;PNG</translation>
    </message>
    <message>
        <source>B&amp;MP</source>
        <translation>B&amp;MP</translation>
    </message>
    <message>
        <source>&amp;TIFF</source>
        <translation>&amp;TIFF</translation>
    </message>
    <message>
        <source>PC&amp;X</source>
        <translation>PC&amp;X</translation>
    </message>
    <message>
        <source>&amp;GIF</source>
        <translation>&amp;GIF</translation>
    </message>
    <message>
        <source>&amp;HEIC/HEIF</source>
        <translation>&amp;HEIC/HEIF</translation>
    </message>
    <message>
        <source>&amp;AVIF</source>
        <translation>AVI&amp;F</translation>
    </message>
    <message>
        <source>&amp;WebP</source>
        <translation>&amp;WebP</translation>
    </message>
    <message>
        <source>&amp;Use Date Filter</source>
        <translation>Datumsfilter &amp;verwenden</translation>
    </message>
    <message>
        <source>&amp;Date dd/mm/yyyy</source>
        <translation>&amp;Datum tt/mm/jjjj</translation>
    </message>
    <message>
        <source>&amp;Before</source>
        <translation>Vo&amp;r</translation>
    </message>
    <message>
        <source>Alwa&amp;ys Create Output Folder</source>
        <translation>Ausgabeordner &amp;immer anlegen</translation>
    </message>
    <message>
        <source>Read Files &amp;In Subfolders</source>
        <translation>Dateien in Unterordnern &amp;lesen</translation>
    </message>
    <message>
        <source>Duplicate Source Tree &amp;For Output</source>
        <translation>&amp;Ordnerbaum der Quelle für die Ausgabe nachbilden</translation>
    </message>
    <message>
        <source>Create &amp;Output As Subfolders In Source Tree</source>
        <translation>Ausgabe als &amp;Unterordner im Quellbaum anlegen</translation>
    </message>
    <message>
        <source>&amp;Source Branch Path</source>
        <translation>Unterordner im &amp;Quellbaum</translation>
    </message>
    <message>
        <source>&amp;No sort</source>
        <translation>&amp;Nicht sortieren</translation>
    </message>
    <message>
        <source>D&amp;escending</source>
        <translation>&amp;Absteigend</translation>
    </message>
</context>
<context>
    <name>COverlayPage</name>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Browse for the overlay image</source>
        <translation>Das Überlagerungsbild suchen</translation>
    </message>
    <message>
        <source>Overlay Position</source>
        <translation>Position der Überlagerung</translation>
    </message>
    <message>
        <source>Overlay Rotation</source>
        <translation>Drehung der Überlagerung</translation>
    </message>
    <message>
        <source>Quantize</source>
        <translation>Farbreduktion</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Aussehen</translation>
    </message>
    <message>
        <source>Transparent Color</source>
        <translation>Transparente Farbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>Deckkraft</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Invalid Image</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Overlay preview</source>
        <translation>Vorschau der Überlagerung</translation>
    </message>
    <message>
        <source>Hold the left button over the image to pick the transparent color</source>
        <translation>Die linke Maustaste über dem Bild gedrückt halten, um die transparente Farbe zu wählen</translation>
    </message>
    <message>
        <source>Overlay &amp;Image</source>
        <translation>Überlagerungsb&amp;ild</translation>
    </message>
    <message>
        <source>P&amp;ath to overlay image</source>
        <translation>&amp;Pfad des Überlagerungsbilds</translation>
    </message>
    <message>
        <source>&amp;3x3</source>
        <translation>&amp;3x3</translation>
    </message>
    <message>
        <source>&amp;Edges</source>
        <translation>Ränd&amp;er</translation>
    </message>
    <message>
        <source>&amp;None</source>
        <translation>Kei&amp;ne</translation>
    </message>
    <message>
        <source>&amp;90 deg. cw</source>
        <translation>&amp;90° im Uhrzeigersinn</translation>
    </message>
    <message>
        <source>&amp;180</source>
        <translation>&amp;180°</translation>
    </message>
    <message>
        <source>&amp;270 deg. cw</source>
        <translation>&amp;270° im Uhrzeigersinn</translation>
    </message>
    <message>
        <source>No&amp;rmal</source>
        <translation>No&amp;rmal</translation>
    </message>
    <message>
        <source>&amp;Posterize</source>
        <translation>T&amp;ontrennung</translation>
    </message>
    <message>
        <source>N&amp;umber of Colors</source>
        <translation>&amp;Anzahl der Farben</translation>
    </message>
    <message>
        <source>&amp;Size to fit</source>
        <translation>&amp;Größe anpassen</translation>
    </message>
    <message>
        <source>No &amp;Transparency</source>
        <translation>&amp;Keine Transparenz</translation>
    </message>
    <message>
        <source>Transparent &amp;Color</source>
        <translation>&amp;Transparente Farbe</translation>
    </message>
    <message>
        <source>&amp;Opacity</source>
        <translation>&amp;Deckkraft</translation>
    </message>
</context>
<context>
    <name>CPNGPage</name>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>Leave output at 0.0 if you do not wish to specify an output gamma value.</source>
        <translation>Lassen Sie die Ausgabe auf 0.0, wenn Sie keinen Gammawert für die Ausgabe angeben möchten.</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Double-click to choose the color</source>
        <translation>Doppelklicken, um die Farbe zu wählen</translation>
    </message>
    <message>
        <source>Custom PNG Text</source>
        <translation>Eigener PNG-Text</translation>
    </message>
    <message>
        <source>&amp;Screen Gamma</source>
        <translation>&amp;Bildschirm-Gamma</translation>
    </message>
    <message>
        <source>&amp;Output Gamma</source>
        <translation>&amp;Ausgabe-Gamma</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>&amp;Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Copy &amp;PNG text fields from input</source>
        <translation>&amp;PNG-Textfelder aus der Eingabe übernehmen</translation>
    </message>
    <message>
        <source>&amp;Key</source>
        <translation>&amp;Schlüssel</translation>
    </message>
    <message>
        <source>&amp;Text</source>
        <translation>T&amp;ext</translation>
    </message>
    <message>
        <source>&amp;Compress Text</source>
        <translation>&amp;Text komprimieren</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Vignettor 4</source>
        <translation>Vignettor 4</translation>
    </message>
    <message>
        <source>Input Folder</source>
        <translation>Eingabeordner</translation>
    </message>
    <message>
        <source>Browse for the input folder</source>
        <translation>Den Eingabeordner suchen</translation>
    </message>
    <message>
        <source>Output Folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Browse for the output folder</source>
        <translation>Den Ausgabeordner suchen</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copy the output folder to the input folder</source>
        <translation>Den Ausgabeordner als Eingabeordner übernehmen</translation>
    </message>
    <message>
        <source>Copy the input folder to the output folder</source>
        <translation>Den Eingabeordner als Ausgabeordner übernehmen</translation>
    </message>
    <message>
        <source>Output Size</source>
        <translation>Ausgabegröße</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Resize Method</source>
        <translation>Skalierungsmethode</translation>
    </message>
    <message>
        <source>Output Format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>Single File Operation</source>
        <translation>Einzelne Datei verarbeiten</translation>
    </message>
    <message>
        <source>Single file</source>
        <translation>Einzelne Datei</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the single file</source>
        <translation>Die einzelne Datei wählen</translation>
    </message>
    <message>
        <source>Error log</source>
        <translation>Fehlerprotokoll</translation>
    </message>
    <message>
        <source>Show or hide the error log</source>
        <translation>Das Fehlerprotokoll zeigen oder verbergen</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>About Vignettor</source>
        <translation>Über Vignettor</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Current file</source>
        <translation>Aktuelle Datei</translation>
    </message>
    <message>
        <source>&amp;Input Folder</source>
        <translation>E&amp;ingabeordner</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>D&amp;urchsuchen...</translation>
    </message>
    <message>
        <source>&amp;Output Folder</source>
        <translation>Ausgabe&amp;ordner</translation>
    </message>
    <message>
        <source>B&amp;rowse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source> &amp;Width</source>
        <translation> &amp;Breite</translation>
    </message>
    <message>
        <source>Hei&amp;ght</source>
        <translation>&amp;Höhe</translation>
    </message>
    <message>
        <source>Allow E&amp;nlarge</source>
        <translation>Vergrößer&amp;n erlauben</translation>
    </message>
    <message>
        <source>Resize &amp;Method</source>
        <translation>Skalierungs&amp;methode</translation>
    </message>
    <message>
        <source>Output &amp;Format</source>
        <translation>&amp;Ausgabeformat</translation>
    </message>
    <message>
        <source>&amp;Enable Single File Operation</source>
        <translation>Einzeldatei-&amp;Verarbeitung einschalten</translation>
    </message>
    <message>
        <source>Sing&amp;le File Start</source>
        <translation>&amp;Einzeldatei starten</translation>
    </message>
    <message>
        <source>A&amp;dvanced...</source>
        <translation>E&amp;rweitert...</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Starten</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>The Vignettor is busy...</source>
        <translation>Vignettor arbeitet...</translation>
    </message>
    <message>
        <source>Vignettor</source>
        <translation>Vignettor</translation>
    </message>
    <message>
        <source>10 of 43 files processed</source>
        <translation>10 von 43 Dateien verarbeitet</translation>
    </message>
    <message>
        <source>Current file</source>
        <translation>Aktuelle Datei</translation>
    </message>
    <message>
        <source>Working</source>
        <translation>In Arbeit</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Files done</source>
        <translation>Erledigte Dateien</translation>
    </message>
    <message>
        <source>Waiting for operation to complete.</source>
        <translation>Warten, bis der Vorgang abgeschlossen ist.</translation>
    </message>
    <message>
        <source>%v of %m files</source>
        <translation>%v von %m Dateien</translation>
    </message>
    <message>
        <source>%1 files/s, %2 left</source>
        <translation>%1 Dateien/s, noch %2</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>SnapshrinkDlg</name>
    <message>
        <source>Vignettor Snapshrink</source>
        <translation>Vignettor Snapshrink</translation>
    </message>
    <message>
        <source>Vignettor</source>
        <translation>Vignettor</translation>
    </message>
    <message>
        <source>To set options which aren&apos;t available here, run the full Vignettor application.</source>
        <translation>Für Einstellungen, die es hier nicht gibt, starten Sie das vollständige Programm Vignettor.</translation>
    </message>
    <message>
        <source>Output naming style</source>
        <translation>Benennung der Ausgabe</translation>
    </message>
    <message>
        <source>Output Size</source>
        <translation>Ausgabegröße</translation>
    </message>
    <message>
        <source>Resize Method</source>
        <translation>Skalierungsmethode</translation>
    </message>
    <message>
        <source>Output Format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose an output directory</source>
        <translation>Einen Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Overwrite</source>
        <translation>Ü&amp;berschreiben</translation>
    </message>
    <message>
        <source>Auto &amp;Numeric Suffix</source>
        <translation>Automatische &amp;Nummer anhängen</translation>
    </message>
    <message>
        <source>Text &amp;Prefix</source>
        <translation>Text &amp;voranstellen</translation>
    </message>
    <message>
        <source>Te&amp;xt Suffix</source>
        <translation>Te&amp;xt anhängen</translation>
    </message>
    <message>
        <source>Prefix / S&amp;uffix</source>
        <translation>Präfix / &amp;Suffix</translation>
    </message>
    <message>
        <source> &amp;Width</source>
        <translation> B&amp;reite</translation>
    </message>
    <message>
        <source>Hei&amp;ght</source>
        <translation>&amp;Höhe</translation>
    </message>
    <message>
        <source>A&amp;llow Enlarge</source>
        <translation>Vergrößern &amp;erlauben</translation>
    </message>
    <message>
        <source>Resize &amp;Method</source>
        <translation>Skalierungs&amp;methode</translation>
    </message>
    <message>
        <source>Output Fo&amp;rmat</source>
        <translation>&amp;Ausgabeformat</translation>
    </message>
    <message>
        <source>Output &amp;folder</source>
        <translation>A&amp;usgabeordner</translation>
    </message>
    <message>
        <source>From &amp;Input</source>
        <translation>&amp;Wie Eingabe</translation>
    </message>
    <message>
        <source>Set all other options to &amp;default values</source>
        <translation>Alle an&amp;deren Einstellungen auf Voreinstellungen setzen</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>S&amp;tarten</translation>
    </message>
</context>
<context>
    <name>vig::ErrorText</name>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <source>Unable to open file</source>
        <translation>Datei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unable to read file</source>
        <translation>Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Unable to write file</source>
        <translation>Datei kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Parameter error</source>
        <translation>Parameterfehler</translation>
    </message>
    <message>
        <source>Invalid BMP file</source>
        <translation>Ungültige BMP-Datei</translation>
    </message>
    <message>
        <source>RLE BMP files are not supported</source>
        <translation>RLE-komprimierte BMP-Dateien werden nicht unterstützt</translation>
    </message>
    <message>
        <source>Invalid GIF file</source>
        <translation>Ungültige GIF-Datei</translation>
    </message>
    <message>
        <source>Invalid JPG file</source>
        <translation>Ungültige JPG-Datei</translation>
    </message>
    <message>
        <source>Device context</source>
        <translation>Gerätekontext</translation>
    </message>
    <message>
        <source>Resource not found</source>
        <translation>Ressource nicht gefunden</translation>
    </message>
    <message>
        <source>Operation cancelled by callback</source>
        <translation>Vorgang abgebrochen</translation>
    </message>
    <message>
        <source>Invalid PNG file</source>
        <translation>Ungültige PNG-Datei</translation>
    </message>
    <message>
        <source>Internal PNG creation error - possibly bad params</source>
        <translation>Interner Fehler beim Erstellen des PNG - möglicherweise falsche Parameter</translation>
    </message>
    <message>
        <source>Internal error</source>
        <translation>Interner Fehler</translation>
    </message>
    <message>
        <source>Unable to create font</source>
        <translation>Schrift kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Invalid TIFF file</source>
        <translation>Ungültige TIFF-Datei</translation>
    </message>
    <message>
        <source>Invalid PCX file</source>
        <translation>Ungültige PCX-Datei</translation>
    </message>
    <message>
        <source>Invalid HEIF file</source>
        <translation>Ungültige HEIF-Datei</translation>
    </message>
    <message>
        <source>Invalid WebP file</source>
        <translation>Ungültige WebP-Datei</translation>
    </message>
    <message>
        <source>Invalid AVIF file</source>
        <translation>Ungültige AVIF-Datei</translation>
    </message>
    <message>
        <source>HEIF/AVIF file of a kind that cannot be decoded</source>
        <translation>HEIF/AVIF-Datei einer Art, die nicht dekodiert werden kann</translation>
    </message>
    <message>
        <source>Can&apos;t create output directory</source>
        <translation>Ausgabeordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Can&apos;t create output tree</source>
        <translation>Ausgabebaum kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Can&apos;t get current folder</source>
        <translation>Aktueller Ordner kann nicht ermittelt werden</translation>
    </message>
    <message>
        <source>Can&apos;t change folder</source>
        <translation>Ordner kann nicht gewechselt werden</translation>
    </message>
    <message>
        <source>Vignettor will be unable to create HTML links.
Source and Destination folders do not share a common root.</source>
        <translation>Vignettor kann keine HTML-Verknüpfungen erstellen.
Quell- und Zielordner haben keinen gemeinsamen Ursprung.</translation>
    </message>
    <message>
        <source>Can&apos;t create composite image unless :
1) Best Fit or Exact Size resize method is used
2) Fixed Width or Fixed Height resize method is used with background matting On.</source>
        <translation>Ein Kontaktabzug ist nur möglich, wenn:
1) die Skalierungsmethode „Bestmöglich einpassen“ oder „Exakte Größe“ ist oder
2) die Skalierungsmethode „Feste Breite“ oder „Feste Höhe“ mit eingeschaltetem Hintergrund-Passepartout ist.</translation>
    </message>
    <message>
        <source>Not written: it would replace an input file or a file written by this run</source>
        <translation>Nicht geschrieben: Die Datei würde eine Eingabedatei oder eine in diesem Lauf geschriebene Datei ersetzen</translation>
    </message>
</context>
<context>
    <name>vig::lists</name>
    <message>
        <source>No Resize</source>
        <translation>Keine Größenänderung</translation>
    </message>
    <message>
        <source>Best Fit</source>
        <translation>Bestmöglich einpassen</translation>
    </message>
    <message>
        <source>Fixed Width</source>
        <translation>Feste Breite</translation>
    </message>
    <message>
        <source>Fixed Height</source>
        <translation>Feste Höhe</translation>
    </message>
    <message>
        <source>Exact Size</source>
        <translation>Exakte Größe</translation>
    </message>
    <message>
        <source>Pixel Area</source>
        <translation>Pixelfläche</translation>
    </message>
    <message>
        <source>Percent</source>
        <translation>Prozent</translation>
    </message>
    <message>
        <source>24 bit, same as input</source>
        <translation>24 Bit, wie Eingabe</translation>
    </message>
    <message>
        <source>8 bit, same as input</source>
        <translation>8 Bit, wie Eingabe</translation>
    </message>
    <message>
        <source>Grayscale, same as input</source>
        <translation>Graustufen, wie Eingabe</translation>
    </message>
    <message>
        <source>JPG</source>
        <translation>JPG</translation>
    </message>
    <message>
        <source>JPG grayscale</source>
        <translation>JPG Graustufen</translation>
    </message>
    <message>
        <source>BMP 24 bit</source>
        <translation>BMP 24 Bit</translation>
    </message>
    <message>
        <source>BMP 8 bit</source>
        <translation>BMP 8 Bit</translation>
    </message>
    <message>
        <source>BMP grayscale</source>
        <translation>BMP Graustufen</translation>
    </message>
    <message>
        <source>PNG 24 bit</source>
        <translation>PNG 24 Bit</translation>
    </message>
    <message>
        <source>PNG 8 bit</source>
        <translation>PNG 8 Bit</translation>
    </message>
    <message>
        <source>PNG grayscale</source>
        <translation>PNG Graustufen</translation>
    </message>
    <message>
        <source>TIFF 24 bit</source>
        <translation>TIFF 24 Bit</translation>
    </message>
    <message>
        <source>TIFF 8 bit</source>
        <translation>TIFF 8 Bit</translation>
    </message>
    <message>
        <source>TIFF grayscale</source>
        <translation>TIFF Graustufen</translation>
    </message>
    <message>
        <source>PCX 24 bit</source>
        <translation>PCX 24 Bit</translation>
    </message>
    <message>
        <source>PCX 8 bit</source>
        <translation>PCX 8 Bit</translation>
    </message>
    <message>
        <source>PCX grayscale</source>
        <translation>PCX Graustufen</translation>
    </message>
    <message>
        <source>GIF</source>
        <translation>GIF</translation>
    </message>
    <message>
        <source>GIF grayscale</source>
        <translation>GIF Graustufen</translation>
    </message>
</context>
<context>
    <name>vig::shell</name>
    <message>
        <source>registration failed (%1)</source>
        <translation>Anmeldung fehlgeschlagen (%1)</translation>
    </message>
    <message>
        <source>unregistration failed (%1)</source>
        <translation>Abmeldung fehlgeschlagen (%1)</translation>
    </message>
    <message>
        <source>the context-menu object failed (%1)</source>
        <translation>das Kontextmenü-Objekt ist fehlgeschlagen (%1)</translation>
    </message>
    <message>
        <source>warning: %1: skipped %2 damaged line(s), the first is line %3</source>
        <translation>Warnung: %1: %2 beschädigte Zeile(n) übersprungen, die erste ist Zeile %3</translation>
    </message>
    <message>
        <source>Unable to find Vignettor
Please run the main Vignettor program.</source>
        <translation>Vignettor wurde nicht gefunden.
Bitte starten Sie das Hauptprogramm Vignettor.</translation>
    </message>
    <message>
        <source>Processing file %1 of %2</source>
        <translation>Datei %1 von %2 wird verarbeitet</translation>
    </message>
    <message>
        <source>%1 file(s) not processed: the thumbnail would have replaced a selected file.
Choose another output folder, naming style or output format.</source>
        <translation>%1 Datei(en) nicht verarbeitet: Das Miniaturbild hätte eine ausgewählte Datei ersetzt.
Wählen Sie einen anderen Ausgabeordner, eine andere Benennung oder ein anderes Ausgabeformat.</translation>
    </message>
    <message>
        <source>usage: vigshell [--] FILE... make thumbnails of the files through the quick dialog
       vigshell --register   add &quot;Snapshrink...&quot; to the file managers&apos; menus
       vigshell --unregister remove it again
</source>
        <translation>Aufruf: vigshell [--] DATEI... Miniaturbilder der Dateien über den Schnelldialog erstellen
        vigshell --register   „Snapshrink...“ zu den Menüs der Dateiverwaltungen hinzufügen
        vigshell --unregister es wieder entfernen
</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot; (file names that begin with &apos;-&apos; go after &quot;--&quot;)</source>
        <translation>unbekannte Option „%1“ (Dateinamen, die mit „-“ beginnen, gehören hinter „--“)</translation>
    </message>
    <message>
        <source>cannot find libvigshell.so beside the launcher or in its installation&apos;s library folder</source>
        <translation>libvigshell.so wurde weder neben dem Starter noch im Bibliotheksordner seiner Installation gefunden</translation>
    </message>
    <message>
        <source>no display to show the quick dialog on; &quot;vignettor /h /f IN OUT&quot; makes a thumbnail without one</source>
        <translation>keine Anzeige für den Schnelldialog; „vignettor /h /f EIN AUS“ erstellt ein Miniaturbild ohne Anzeige</translation>
    </message>
    <message>
        <source>Choose an output directory</source>
        <translation>Einen Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>Bitte geben Sie eine ganze Zahl ein.</translation>
    </message>
    <message>
        <source>&amp;Width</source>
        <translation>B&amp;reite</translation>
    </message>
    <message>
        <source>Hei&amp;ght</source>
        <translation>&amp;Höhe</translation>
    </message>
    <message>
        <source>&amp;Area</source>
        <translation>&amp;Fläche</translation>
    </message>
    <message>
        <source>P&amp;ercent</source>
        <translation>&amp;Prozent</translation>
    </message>
</context>
<context>
    <name>vig::texts</name>
    <message>
        <source>&quot;/eu&quot; needs a curve file</source>
        <translation>„/eu“ braucht eine Kurvendatei</translation>
    </message>
    <message>
        <source>&quot;/s&quot; needs a width and a height</source>
        <translation>„/s“ braucht eine Breite und eine Höhe</translation>
    </message>
    <message>
        <source>%1 needs a date day/month/year</source>
        <translation>%1 braucht ein Datum Tag/Monat/Jahr</translation>
    </message>
    <message>
        <source>&quot;/v&quot; needs a sharpening level</source>
        <translation>„/v“ braucht eine Schärfungsstufe</translation>
    </message>
    <message>
        <source>&quot;/r&quot; needs a resize code</source>
        <translation>„/r“ braucht einen Code der Skalierungsmethode</translation>
    </message>
    <message>
        <source>&quot;/o&quot; needs a format code</source>
        <translation>„/o“ braucht einen Formatcode</translation>
    </message>
    <message>
        <source>&quot;/j&quot; needs a number of threads</source>
        <translation>„/j“ braucht eine Anzahl von Threads</translation>
    </message>
    <message>
        <source>&quot;/mem&quot; needs a number of megabytes</source>
        <translation>„/mem“ braucht eine Anzahl Megabyte</translation>
    </message>
    <message>
        <source>unknown mode &quot;%1&quot; (use /f or /d)</source>
        <translation>unbekannter Modus „%1“ (/f oder /d verwenden)</translation>
    </message>
    <message>
        <source>single-file mode needs an input file and an output file</source>
        <translation>der Einzeldateimodus braucht eine Eingabe- und eine Ausgabedatei</translation>
    </message>
    <message>
        <source>directory mode needs a source folder and an output folder</source>
        <translation>der Ordnermodus braucht einen Quell- und einen Ausgabeordner</translation>
    </message>
    <message>
        <source>the input and output paths must not be empty</source>
        <translation>Eingabe- und Ausgabepfad dürfen nicht leer sein</translation>
    </message>
    <message>
        <source>the source and output folders must not be empty</source>
        <translation>Quell- und Ausgabeordner dürfen nicht leer sein</translation>
    </message>
    <message>
        <source>warning: ignoring argument &quot;%1&quot;</source>
        <translation>Warnung: Argument „%1“ wird ignoriert</translation>
    </message>
    <message>
        <source>Found %1 files</source>
        <translation>%1 Dateien gefunden</translation>
    </message>
    <message>
        <source>%1 of %2 files processed</source>
        <translation>%1 von %2 Dateien verarbeitet</translation>
    </message>
    <message>
        <source>Processed %1 of %2 files</source>
        <translation>%1 von %2 Dateien verarbeitet</translation>
    </message>
    <message>
        <source>Colour profile ignored: it could not be read</source>
        <translation>Farbprofil ignoriert: Es konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Colour profile ignored: it is not a profile of RGB colours</source>
        <translation>Farbprofil ignoriert: Es ist kein Profil für RGB-Farben</translation>
    </message>
    <message>
        <source>Colour profile ignored: its colour description is not supported</source>
        <translation>Farbprofil ignoriert: Seine Farbbeschreibung wird nicht unterstützt</translation>
    </message>
    <message>
        <source>%1 files/s</source>
        <translation>%1 Dateien/s</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
    <message>
        <source>%1 of %2 files</source>
        <translation>%1 von %2 Dateien</translation>
    </message>
    <message>
        <source>Waiting for another run writing into %1</source>
        <translation>Warten auf einen anderen Lauf, der in %1 schreibt</translation>
    </message>
    <message>
        <source>Error : %1
Context : %2</source>
        <translation>Fehler: %1
Kontext: %2</translation>
    </message>
    <message>
        <source>Error : %1
File : %2
Context : %3</source>
        <translation>Fehler: %1
Datei: %2
Kontext: %3</translation>
    </message>
    <message>
        <source>Press Cancel to stop this procedure</source>
        <translation>Drücken Sie „Abbrechen“, um den Vorgang zu beenden</translation>
    </message>
    <message>
        <source>Scanning for images</source>
        <translation>Bilder werden gesucht</translation>
    </message>
    <message>
        <source>Reading source tree</source>
        <translation>Quellbaum wird gelesen</translation>
    </message>
    <message>
        <source>Creating dest tree</source>
        <translation>Zielbaum wird angelegt</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>Resizing</source>
        <translation>Skalieren</translation>
    </message>
    <message>
        <source>Applying Overlay</source>
        <translation>Überlagerung anwenden</translation>
    </message>
    <message>
        <source>Sharpen</source>
        <translation>Schärfen</translation>
    </message>
    <message>
        <source>Matting</source>
        <translation>Passepartout</translation>
    </message>
    <message>
        <source>Saving</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Loading overlay image</source>
        <translation>Überlagerungsbild wird geladen</translation>
    </message>
    <message>
        <source>Scanning for files</source>
        <translation>Dateien werden gesucht</translation>
    </message>
    <message>
        <source>This operation will overwrite all input files.
Continue?</source>
        <translation>Dieser Vorgang überschreibt alle Eingabedateien.
Fortfahren?</translation>
    </message>
    <message>
        <source>find files in dir</source>
        <translation>Dateien im Ordner suchen</translation>
    </message>
    <message>
        <source>find files by ext</source>
        <translation>Dateien nach Endung suchen</translation>
    </message>
    <message>
        <source>get subdirs</source>
        <translation>Unterordner ermitteln</translation>
    </message>
    <message>
        <source>create output tree</source>
        <translation>Ausgabebaum anlegen</translation>
    </message>
    <message>
        <source>Stopping (Main Resize)</source>
        <translation>Abbruch (Stapellauf)</translation>
    </message>
    <message>
        <source>Stopping (main resize)</source>
        <translation>Abbruch (Stapellauf)</translation>
    </message>
    <message>
        <source>Overlay (main resize)
Setting overlay OFF</source>
        <translation>Überlagerung (Stapellauf)
Überlagerung wird AUSGESCHALTET</translation>
    </message>
    <message>
        <source>Main resize
Turning HTML links OFF!!</source>
        <translation>Stapellauf
HTML-Verknüpfungen werden AUSGESCHALTET!</translation>
    </message>
    <message>
        <source>Main resize
Turning Composite Off!</source>
        <translation>Stapellauf
Kontaktabzug wird ausgeschaltet!</translation>
    </message>
    <message>
        <source>Composite image initialization</source>
        <translation>Kontaktabzug vorbereiten</translation>
    </message>
    <message>
        <source>File Process</source>
        <translation>Datei verarbeiten</translation>
    </message>
    <message>
        <source>Add composite</source>
        <translation>Zum Kontaktabzug hinzufügen</translation>
    </message>
    <message>
        <source>Load user LUT</source>
        <translation>Eigene LUT laden</translation>
    </message>
    <message>
        <source>Single File Start, Overlay Load
Setting Overlay OFF</source>
        <translation>Einzeldatei, Überlagerung laden
Überlagerung wird AUSGESCHALTET</translation>
    </message>
    <message>
        <source>Single File Start</source>
        <translation>Einzeldatei</translation>
    </message>
    <message>
        <source>Save composite image</source>
        <translation>Kontaktabzug speichern</translation>
    </message>
    <message>
        <source>give only one of &quot;/plan&quot;, &quot;/shard&quot; and &quot;/merge&quot;</source>
        <translation>nur einen von „/plan“, „/shard“ und „/merge“ angeben</translation>
    </message>
    <message>
        <source>&quot;/shard&quot; needs K/N, with 1 &lt;= K &lt;= N</source>
        <translation>„/shard“ braucht K/N mit 1 &lt;= K &lt;= N</translation>
    </message>
    <message>
        <source>%1 - thumbnails in batches
usage:
  vignettor /h /f INPUT-FILE OUTPUT-FILE [switches]
  vignettor /h /d SOURCE-FOLDER OUTPUT-FOLDER [switches]
switches:
  /s W H     size            /r CODE   resize method  /o CODE  output format
  /n         allow enlarge   /v LEVEL  sharpen        /x       reset options
  /e0 /ei /ed /ec /ex, /eu FILE      tone curve
  /cl /cu /cn                        letter case of names
  /t+ D/M/Y, /t- D/M/Y               files after / before a date
  /no, /np TEXT, /ns TEXT, /nn       naming (directory mode)
  /j N       files side by side (directory mode; 0 one per core, 1 one at a time)
  /mem MB    memory all files in hand may hold (directory mode; 0 half the machine&apos;s)
  /fast      draft JPEG decoding   /a  turn photos upright (EXIF orientation)
  /cm        convert the colour profiles of JPEG, PNG and TIFF pictures to sRGB
a directory run over several machines (the same switches for all three steps):
  /plan      scan and write the plan into OUTPUT-FOLDER/.vignettor
  /shard K/N make the thumbnails of part K of N of the plan
  /merge     write pages, index, log and sheets from the plan and the shards
</source>
        <translation>%1 - Miniaturbilder im Stapel
Aufruf:
  vignettor /h /f EINGABEDATEI AUSGABEDATEI [Schalter]
  vignettor /h /d QUELLORDNER AUSGABEORDNER [Schalter]
Schalter:
  /s B H     Größe           /r CODE   Skalierung     /o CODE  Ausgabeformat
  /n         vergrößern      /v STUFE  schärfen       /x       Einstellungen zurücksetzen
  /e0 /ei /ed /ec /ex, /eu DATEI     Tonwertkurve
  /cl /cu /cn                        Groß-/Kleinschreibung der Namen
  /t+ T/M/J, /t- T/M/J               Dateien nach / vor einem Datum
  /no, /np TEXT, /ns TEXT, /nn       Benennung (Ordnermodus)
  /j N       Dateien gleichzeitig (Ordnermodus; 0 eine je Kern, 1 eine nach der anderen)
  /mem MB    Speicher für alle Dateien in Arbeit (Ordnermodus; 0 die Hälfte des Rechners)
  /fast      schnelles JPEG-Entwurfsdekodieren
  /a         Fotos aufrichten (EXIF-Ausrichtung)
  /cm        Farbprofile von JPEG-, PNG- und TIFF-Bildern nach sRGB umrechnen
ein Ordnerlauf über mehrere Rechner (dieselben Schalter für alle drei Schritte):
  /plan      suchen und den Plan in AUSGABEORDNER/.vignettor schreiben
  /shard K/N die Miniaturbilder von Teil K von N des Plans erstellen
  /merge     Seiten, Index, Protokoll und Bögen aus Plan und Teilen schreiben
</translation>
    </message>
    <message>
        <source>Planned %1 files</source>
        <translation>%1 Dateien geplant</translation>
    </message>
    <message>
        <source>Shard %1/%2: processed %3 of %4 files</source>
        <translation>Teil %1/%2: %3 von %4 Dateien verarbeitet</translation>
    </message>
    <message>
        <source>no plan at %1: run the plan step (/plan) first</source>
        <translation>kein Plan unter %1: zuerst den Planungsschritt (/plan) ausführen</translation>
    </message>
    <message>
        <source>the plan %1 is damaged (%2)</source>
        <translation>der Plan %1 ist beschädigt (%2)</translation>
    </message>
    <message>
        <source>the settings differ from the plan&apos;s (%1): every step of a run needs the same switches and settings</source>
        <translation>die Einstellungen weichen von denen des Plans ab (%1): jeder Schritt eines Laufs braucht dieselben Schalter und Einstellungen</translation>
    </message>
    <message>
        <source>its record belongs to another plan</source>
        <translation>sein Protokoll gehört zu einem anderen Plan</translation>
    </message>
    <message>
        <source>its record is of another part of the plan</source>
        <translation>sein Protokoll gehört zu einem anderen Teil des Plans</translation>
    </message>
    <message>
        <source>the thumbnail of %1 would replace %2, which the run reads later: run it on one machine</source>
        <translation>das Miniaturbild von %1 würde %2 ersetzen, das der Lauf später liest: auf einem einzigen Rechner ausführen</translation>
    </message>
    <message>
        <source>cannot write the plan %1</source>
        <translation>der Plan %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>cannot make the shard&apos;s folder %1</source>
        <translation>der Ordner des Teils %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot write the shard&apos;s record %1</source>
        <translation>das Protokoll des Teils %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>shard %1 is missing: no folder %2</source>
        <translation>Teil %1 fehlt: kein Ordner %2</translation>
    </message>
    <message>
        <source>shard %1: %2 in %3</source>
        <translation>Teil %1: %2 in %3</translation>
    </message>
</context>
<context>
    <name>vig::ui::texts</name>
    <message>
        <source>Top</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message>
        <source>Top Left</source>
        <translation>Oben links</translation>
    </message>
    <message>
        <source>Top Right</source>
        <translation>Oben rechts</translation>
    </message>
    <message>
        <source>Bottom Left</source>
        <translation>Unten links</translation>
    </message>
    <message>
        <source>Bottom Right</source>
        <translation>Unten rechts</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Mitte</translation>
    </message>
    <message>
        <source>Top Edge</source>
        <translation>Oberer Rand</translation>
    </message>
    <message>
        <source>Bottom Edge</source>
        <translation>Unterer Rand</translation>
    </message>
    <message>
        <source>Left Edge</source>
        <translation>Linker Rand</translation>
    </message>
    <message>
        <source>Right Edge</source>
        <translation>Rechter Rand</translation>
    </message>
    <message>
        <source>Vignettor Options</source>
        <translation>Vignettor-Einstellungen</translation>
    </message>
    <message>
        <source>File/Dir Options</source>
        <translation>Dateien/Ordner</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Ablauf</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>JPG</source>
        <translation>JPG</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Overlay Image</source>
        <translation>Überlagerungsbild</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>HTML Log Files</source>
        <translation>HTML-Seiten</translation>
    </message>
    <message>
        <source>Composite</source>
        <translation>Kontaktabzug</translation>
    </message>
    <message>
        <source>Please enter a number.</source>
        <translation>Bitte geben Sie eine Zahl ein.</translation>
    </message>
    <message>
        <source>Please enter no more than %1 characters.</source>
        <translation>Bitte geben Sie höchstens %1 Zeichen ein.</translation>
    </message>
    <message>
        <source>This is not a valid date</source>
        <translation>Das ist kein gültiges Datum</translation>
    </message>
    <message>
        <source>Warning :
No log file name specified</source>
        <translation>Warnung:
Kein Name für die Protokolldatei angegeben</translation>
    </message>
    <message>
        <source>Warning :
No HTML log file name specified</source>
        <translation>Warnung:
Kein Name für die HTML-Datei angegeben</translation>
    </message>
    <message>
        <source>Shell extension enable</source>
        <translation>Kontextmenü-Erweiterung aktivieren</translation>
    </message>
    <message>
        <source>Shell extension disable</source>
        <translation>Kontextmenü-Erweiterung deaktivieren</translation>
    </message>
    <message>
        <source>Can&apos;t find %1 !
%2 failed.</source>
        <translation>%1 wurde nicht gefunden!
%2 ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>LoadLibrary failed : %1 !
%2 failed.</source>
        <translation>%1 konnte nicht geladen werden!
%2 ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>GetProcAddress failed : %1 !
%2 failed.</source>
        <translation>Einsprungpunkt in %1 nicht gefunden!
%2 ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>%1 succeeded.
You must restart your file manager for this change to take effect.</source>
        <translation>%1 war erfolgreich.
Starten Sie Ihre Dateiverwaltung neu, damit die Änderung wirksam wird.</translation>
    </message>
    <message>
        <source>%1 failed.</source>
        <translation>%1 ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Invalid Image</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <source>Image To Overlay</source>
        <translation>Überlagerungsbild</translation>
    </message>
    <message>
        <source>User LUT file</source>
        <translation>Eigene LUT-Datei</translation>
    </message>
    <message>
        <source>Log file name</source>
        <translation>Name der Protokolldatei</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>HTML Header</source>
        <translation>HTML-Kopfzeile</translation>
    </message>
    <message>
        <source>HTML Footer</source>
        <translation>HTML-Fußzeile</translation>
    </message>
    <message>
        <source>Text file to include</source>
        <translation>Einzufügende Textdatei</translation>
    </message>
    <message>
        <source>%1, %2 pt</source>
        <translation>%1, %2 pt</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>Bitte geben Sie eine ganze Zahl ein.</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>Bitte geben Sie eine ganze Zahl zwischen %1 und %2 ein.</translation>
    </message>
    <message>
        <source>Browse for source folder</source>
        <translation>Quellordner suchen</translation>
    </message>
    <message>
        <source>Browse for destination folder</source>
        <translation>Zielordner suchen</translation>
    </message>
    <message>
        <source>File to load</source>
        <translation>Zu ladende Datei</translation>
    </message>
    <message>
        <source>Image Files</source>
        <translation>Bilddateien</translation>
    </message>
    <message>
        <source>About Vignettor</source>
        <translation>Über Vignettor</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Thumbnails, galleries and contact sheets from folders of photos.</source>
        <translation>Miniaturbilder, Galerien und Kontaktabzüge aus Ordnern voller Fotos.</translation>
    </message>
    <message>
        <source>Copyright © Ostrel Software</source>
        <translation>Copyright © Ostrel Software</translation>
    </message>
    <message>
        <source>Vignettor Credits</source>
        <translation>Vignettor – Danksagungen</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Vignettor&lt;/b&gt; is made by Ostrel Software.&lt;/p&gt;&lt;p&gt;It reads and writes pictures with the help of &lt;b&gt;libjpeg-turbo&lt;/b&gt; (the Independent JPEG Group&apos;s software), &lt;b&gt;libpng&lt;/b&gt; and &lt;b&gt;zlib&lt;/b&gt;, &lt;b&gt;libtiff&lt;/b&gt;, &lt;b&gt;libheif&lt;/b&gt; (with &lt;b&gt;libde265&lt;/b&gt;, &lt;b&gt;dav1d&lt;/b&gt; and &lt;b&gt;aom&lt;/b&gt;) and &lt;b&gt;libwebp&lt;/b&gt;; labels on contact sheets are drawn with &lt;b&gt;FreeType&lt;/b&gt; in fonts found by &lt;b&gt;Fontconfig&lt;/b&gt;.&lt;/p&gt;&lt;p&gt;The windows are built with the &lt;b&gt;Qt&lt;/b&gt; toolkit.&lt;/p&gt;&lt;p&gt;Its pictures were drawn for it.&lt;/p&gt;&lt;p&gt;Thanks to everyone who sent photos that broke it.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Vignettor&lt;/b&gt; wird von Ostrel Software entwickelt.&lt;/p&gt;&lt;p&gt;Es liest und schreibt Bilder mit Hilfe von &lt;b&gt;libjpeg-turbo&lt;/b&gt; (der Software der Independent JPEG Group), &lt;b&gt;libpng&lt;/b&gt; und &lt;b&gt;zlib&lt;/b&gt;, &lt;b&gt;libtiff&lt;/b&gt;, &lt;b&gt;libheif&lt;/b&gt; (mit &lt;b&gt;libde265&lt;/b&gt;, &lt;b&gt;dav1d&lt;/b&gt; und &lt;b&gt;aom&lt;/b&gt;) und &lt;b&gt;libwebp&lt;/b&gt;; die Beschriftungen auf Kontaktabzügen zeichnet &lt;b&gt;FreeType&lt;/b&gt; in Schriften, die &lt;b&gt;Fontconfig&lt;/b&gt; findet.&lt;/p&gt;&lt;p&gt;Die Fenster sind mit dem Toolkit &lt;b&gt;Qt&lt;/b&gt; gebaut.&lt;/p&gt;&lt;p&gt;Seine Bilder wurden eigens dafür gezeichnet.&lt;/p&gt;&lt;p&gt;Dank an alle, die Fotos geschickt haben, an denen es scheiterte.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>without /h (or with no arguments) vignettor opens its window;
  vignettor --help      this text
  vignettor --version   the program&apos;s name and version
</source>
        <translation>ohne /h (oder ohne Argumente) öffnet vignettor sein Fenster;
  vignettor --help      dieser Text
  vignettor --version   Name und Version des Programms
</translation>
    </message>
    <message>
        <source>vignettor: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); run it headless instead: vignettor /h /f INPUT OUTPUT or vignettor /h /d SOURCE OUTPUT (vignettor --help lists the switches)
</source>
        <translation>vignettor: keine Anzeige, auf der sich das Fenster öffnen ließe (DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt); stattdessen ohne Fenster aufrufen: vignettor /h /f EINGABE AUSGABE oder vignettor /h /d QUELLE AUSGABE (vignettor --help nennt die Schalter)
</translation>
    </message>
    <message>
        <source>&amp;Width</source>
        <translation>&amp;Breite</translation>
    </message>
    <message>
        <source>Hei&amp;ght</source>
        <translation>&amp;Höhe</translation>
    </message>
    <message>
        <source>&amp;Area</source>
        <translation>&amp;Fläche</translation>
    </message>
    <message>
        <source>&amp;Percent</source>
        <translation>&amp;Prozent</translation>
    </message>
    <message>
        <source>%1  Processed %2 of %3 files; errors: %4; time: %5</source>
        <translation>%1  %2 von %3 Dateien verarbeitet; Fehler: %4; Dauer: %5</translation>
    </message>
    <message>
        <source>%1  Cancelled after %2 of %3 files; errors: %4; time: %5</source>
        <translation>%1  Abgebrochen nach %2 von %3 Dateien; Fehler: %4; Dauer: %5</translation>
    </message>
    <message>
        <source>%1 (%2), %3 pt</source>
        <translation>%1 (%2), %3 pt</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
</context>
</TS>
