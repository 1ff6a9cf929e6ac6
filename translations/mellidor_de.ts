<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Chart</name>
    <message>
        <source>hypo %1 %</source>
        <translation>Hypo %1 %</translation>
    </message>
    <message>
        <source>hyper %1 %</source>
        <translation>Hyper %1 %</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Add the entries of export files (sensor, pump, Nightscout, Mellidor) to the diary</source>
        <translation>Die Einträge von Exportdateien (Sensor, Pumpe, Nightscout, Mellidor) dem Tagebuch hinzufügen</translation>
    </message>
    <message>
        <source>Write the diary&apos;s entries as CSV</source>
        <translation>Die Einträge des Tagebuchs als CSV schreiben</translation>
    </message>
    <message>
        <source>Print the glucose statistics and the ambulatory glucose profile of a period</source>
        <translation>Die Glukosestatistik und das ambulante Glukoseprofil eines Zeitraums ausgeben</translation>
    </message>
    <message>
        <source>Write a PDF report of a period for the diabetes team</source>
        <translation>Einen PDF-Bericht eines Zeitraums für das Diabetesteam schreiben</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Diese Hilfe anzeigen.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version anzeigen.</translation>
    </message>
    <message>
        <source>Use the diary in &lt;dir&gt; instead of the working directory; file names are relative to it.</source>
        <translation>Das Tagebuch in &lt;Ordner&gt; statt im Arbeitsverzeichnis benutzen; Dateinamen gelten relativ dazu.</translation>
    </message>
    <message>
        <source>dir</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Mellidor, a personal diabetes diary. Without arguments it opens its window.</source>
        <translation>Mellidor, ein persönliches Diabetes-Tagebuch. Ohne Argumente öffnet es sein Fenster.</translation>
    </message>
    <message>
        <source>The command to run (see below).</source>
        <translation>Der auszuführende Befehl (siehe unten).</translation>
    </message>
    <message>
        <source>[command [arguments...]]</source>
        <translation>[Befehl [Argumente...]]</translation>
    </message>
    <message>
        <source>Usage: mellidor [options] [command [arguments...]]</source>
        <translation>Aufruf: mellidor [Optionen] [Befehl [Argumente...]]</translation>
    </message>
    <message>
        <source>
Commands:
</source>
        <translation>
Befehle:
</translation>
    </message>
    <message>
        <source>
Run &quot;mellidor COMMAND --help&quot; for a command&apos;s options.
</source>
        <translation>
„mellidor BEFEHL --help“ zeigt die Optionen eines Befehls.
</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; is open in another Mellidor%2; nothing was changed.
</source>
        <translation>Das Tagebuch „%1“ ist in einem anderen Mellidor geöffnet%2; nichts wurde geändert.
</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; cannot be locked (%2); nothing was changed.
</source>
        <translation>Das Tagebuch „%1“ kann nicht gesperrt werden (%2); nichts wurde geändert.
</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; cannot be read: %2
</source>
        <translation>Das Tagebuch „%1“ kann nicht gelesen werden: %2
</translation>
    </message>
    <message>
        <source>mellidor: no command given.
</source>
        <translation>mellidor: kein Befehl angegeben.
</translation>
    </message>
    <message>
        <source>mellidor: unknown command &quot;%1&quot;.
</source>
        <translation>mellidor: unbekannter Befehl „%1“.
</translation>
    </message>
    <message>
        <source>mellidor: &quot;%1&quot; is not a folder that can be used.
</source>
        <translation>mellidor: „%1“ ist kein benutzbarer Ordner.
</translation>
    </message>
    <message>
        <source>mellidor: the output cannot be written.</source>
        <translation>mellidor: die Ausgabe kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Adds the entries of the files to the diary as one change. Entries already in the diary are not added again. Nothing is added unless every file can be read.
Formats, told from the content: %1.
Exit status: 0 done, 1 the diary is open elsewhere or cannot be saved, 2 a file cannot be read or bad options.</source>
        <translation>Fügt die Einträge der Dateien dem Tagebuch als eine Änderung hinzu. Einträge, die schon im Tagebuch stehen, werden nicht erneut hinzugefügt. Nichts wird hinzugefügt, wenn nicht jede Datei gelesen werden kann.
Formate, am Inhalt erkannt: %1.
Rückgabewert: 0 erledigt, 1 das Tagebuch ist anderswo geöffnet oder kann nicht gespeichert werden, 2 eine Datei kann nicht gelesen werden oder falsche Optionen.</translation>
    </message>
    <message>
        <source>files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Export files to import.</source>
        <translation>Die zu importierenden Exportdateien.</translation>
    </message>
    <message>
        <source>no file given.</source>
        <translation>keine Datei angegeben.</translation>
    </message>
    <message>
        <source>Nothing was imported.</source>
        <translation>Es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; cannot be saved: %2 Nothing was imported.
</source>
        <translation>Das Tagebuch „%1“ kann nicht gespeichert werden: %2 Es wurde nichts importiert.
</translation>
    </message>
    <message>
        <source>Writes the diary as CSV (date,time,type,value), oldest entry first, glucose in mg/dL whatever unit the window shows. A file given is replaced only once all of it is written; it cannot be the diary, its settings or its lock, nor anything but a regular file.
Exit status: 0 done, 1 the diary cannot be read or the file cannot be written, 2 bad options.</source>
        <translation>Schreibt das Tagebuch als CSV (date,time,type,value), den ältesten Eintrag zuerst, Glukose in mg/dL, gleich welche Einheit das Fenster zeigt. Eine angegebene Datei wird erst ersetzt, wenn sie ganz geschrieben ist; sie darf weder das Tagebuch, seine Einstellungen oder seine Sperre noch etwas anderes als eine gewöhnliche Datei sein.
Rückgabewert: 0 erledigt, 1 das Tagebuch kann nicht gelesen oder die Datei nicht geschrieben werden, 2 falsche Optionen.</translation>
    </message>
    <message>
        <source>Write to &lt;file&gt; instead of standard output.</source>
        <translation>In &lt;Datei&gt; statt in die Standardausgabe schreiben.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;.</source>
        <translation>unerwartetes Argument „%1“.</translation>
    </message>
    <message>
        <source>mellidor export: &quot;%1&quot; cannot be written: %2
</source>
        <translation>mellidor export: „%1“ kann nicht geschrieben werden: %2
</translation>
    </message>
    <message>
        <source>Run &quot;mellidor %1 --help&quot; for its options.
</source>
        <translation>„mellidor %1 --help“ zeigt seine Optionen.
</translation>
    </message>
    <message>
        <source>Usage: mellidor %1 %2</source>
        <translation>Aufruf: mellidor %1 %2</translation>
    </message>
    <message>
        <source>Glucose unit: mgdl or mmol (default: as chosen in the window).</source>
        <translation>Glukoseeinheit: mgdl oder mmol (Vorgabe: wie im Fenster gewählt).</translation>
    </message>
    <message>
        <source>--%1 given more than once</source>
        <translation>--%1 mehr als einmal angegeben</translation>
    </message>
    <message>
        <source>--output FILE.pdf is required</source>
        <translation>--output DATEI.pdf ist nötig</translation>
    </message>
    <message>
        <source>--from and --to go together</source>
        <translation>--from und --to gehören zusammen</translation>
    </message>
    <message>
        <source>--unit is mgdl or mmol</source>
        <translation>--unit ist mgdl oder mmol</translation>
    </message>
    <message>
        <source>Writes a PDF report of a period for the diabetes team: the figures, the ambulatory glucose profile, a curve per day and a logbook. The file is replaced only once all of it is written; it cannot be the diary, its settings or its lock, nor anything but a regular file.
Exit status: 0 written, 1 the diary cannot be read or the file cannot be written, 2 bad options.</source>
        <translation>Schreibt einen PDF-Bericht eines Zeitraums für das Diabetesteam: die Kennzahlen, das ambulante Glukoseprofil, eine Kurve pro Tag und ein Tagebuch. Die Datei wird erst ersetzt, wenn sie ganz geschrieben ist; sie darf weder das Tagebuch, seine Einstellungen oder seine Sperre noch etwas anderes als eine gewöhnliche Datei sein.
Rückgabewert: 0 geschrieben, 1 das Tagebuch kann nicht gelesen oder die Datei nicht geschrieben werden, 2 falsche Optionen.</translation>
    </message>
    <message>
        <source>The last N days up to today (default %1).</source>
        <translation>Die letzten N Tage bis heute (Vorgabe %1).</translation>
    </message>
    <message>
        <source>First day of the period.</source>
        <translation>Erster Tag des Zeitraums.</translation>
    </message>
    <message>
        <source>Last day of the period.</source>
        <translation>Letzter Tag des Zeitraums.</translation>
    </message>
    <message>
        <source>The PDF file to write.</source>
        <translation>Die zu schreibende PDF-Datei.</translation>
    </message>
    <message>
        <source>mellidor report: cannot write %1: %2</source>
        <translation>mellidor report: %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>mellidor report: cannot read %1: %2</source>
        <translation>mellidor report: %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>mellidor report: no %1 here; the report has no entries</source>
        <translation>mellidor report: %1 fehlt hier; der Bericht hat keine Einträge</translation>
    </message>
    <message>
        <source>Wrote %1 (%2 page)</source>
        <translation>%1 geschrieben (%2 Seite)</translation>
    </message>
    <message>
        <source>Wrote %1 (%2 pages)</source>
        <translation>%1 geschrieben (%2 Seiten)</translation>
    </message>
    <message>
        <source>--days cannot be combined with --from and --to</source>
        <translation>--days kann nicht mit --from und --to verbunden werden</translation>
    </message>
    <message>
        <source>--%1 wants a date as YYYY-MM-DD from %2 to %3, not &quot;%4&quot;</source>
        <translation>--%1 erwartet ein Datum als JJJJ-MM-TT von %2 bis %3, nicht „%4“</translation>
    </message>
    <message>
        <source>--to is before --from</source>
        <translation>--to liegt vor --from</translation>
    </message>
    <message>
        <source>--days wants a whole number from 1 to %1, not &quot;%2&quot;</source>
        <translation>--days erwartet eine ganze Zahl von 1 bis %1, nicht „%2“</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>%1 to %2 (%3 days)</source>
        <translation>%1 bis %2 (%3 Tage)</translation>
    </message>
    <message>
        <source>Hypoglycaemia events</source>
        <translation>Hypoglykämie-Ereignisse</translation>
    </message>
    <message>
        <source>(target %1%2)</source>
        <translation>(Ziel %1%2)</translation>
    </message>
    <message>
        <source>, met</source>
        <translation>, erreicht</translation>
    </message>
    <message>
        <source>, not met</source>
        <translation>, verfehlt</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>Hinweis: %1</translation>
    </message>
    <message>
        <source>Ambulatory glucose profile (%1)</source>
        <translation>Ambulantes Glukoseprofil (%1)</translation>
    </message>
    <message>
        <source>hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Prints the glucose statistics and the ambulatory glucose profile of a period of the diary.
Exit status: 0 done (also for a period without readings), 1 the diary cannot be read, 2 bad options.</source>
        <translation>Gibt die Glukosestatistik und das ambulante Glukoseprofil eines Zeitraums des Tagebuchs aus.
Rückgabewert: 0 erledigt (auch für einen Zeitraum ohne Messwerte), 1 das Tagebuch kann nicht gelesen werden, 2 falsche Optionen.</translation>
    </message>
    <message>
        <source>Print one JSON object (always in mg/dL) instead of lines.</source>
        <translation>Ein JSON-Objekt (immer in mg/dL) statt Zeilen ausgeben.</translation>
    </message>
    <message>
        <source>mellidor stats: %1</source>
        <translation>mellidor stats: %1</translation>
    </message>
    <message>
        <source>mellidor: the summary cannot be written to standard output; the work itself is done and saved.</source>
        <translation>mellidor: Die Zusammenfassung kann nicht auf die Standardausgabe geschrieben werden; die Arbeit selbst ist erledigt und gespeichert.</translation>
    </message>
    <message>
        <source>the period is longer than %1 days</source>
        <translation>der Zeitraum ist länger als %1 Tage</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; is already open in another Mellidor%2.

Use that window, or close it and start Mellidor again.</source>
        <translation>Das Tagebuch „%1“ ist bereits in einem anderen Mellidor geöffnet%2.

Benutzen Sie jenes Fenster, oder schließen Sie es und starten Sie Mellidor erneut.</translation>
    </message>
    <message>
        <source>Mellidor cannot create its lock file &quot;%1&quot; (%2), so it cannot yet make sure that no other Mellidor writes this diary.

The diary opens. Before it saves a change, Mellidor tries the lock again; it does not save while another Mellidor has the diary open, and it tells you when a change cannot be saved.</source>
        <translation>Mellidor kann seine Sperrdatei „%1“ nicht anlegen (%2) und deshalb noch nicht sicherstellen, dass kein anderer Mellidor dieses Tagebuch schreibt.

Das Tagebuch wird geöffnet. Bevor Mellidor eine Änderung speichert, versucht es die Sperre erneut; es speichert nicht, solange ein anderer Mellidor das Tagebuch geöffnet hat, und sagt Ihnen, wenn eine Änderung nicht gespeichert werden kann.</translation>
    </message>
    <message>
        <source>The last N days up to today (default: the last %1 days, or the %1 days up to the newest reading when those hold none).</source>
        <translation>Die letzten N Tage bis heute (Vorgabe: die letzten %1 Tage, oder die %1 Tage bis zum neuesten Messwert, wenn jene keinen enthalten).</translation>
    </message>
    <message>
        <source>The targets the figures are read against: %1 (default: as chosen in the window).</source>
        <translation>Die Ziele, an denen die Kennzahlen gemessen werden: %1 (Vorgabe: wie im Fenster gewählt).</translation>
    </message>
    <message>
        <source>--targets is one of %1</source>
        <translation>--targets ist eines von %1</translation>
    </message>
    <message>
        <source>Show each figure with its change against the period of the same length before.</source>
        <translation>Jede Kennzahl mit ihrer Änderung gegenüber dem gleich langen Zeitraum davor zeigen.</translation>
    </message>
    <message>
        <source>Compared with</source>
        <translation>Verglichen mit</translation>
    </message>
    <message>
        <source>Fetch what is new on the Nightscout site into the diary</source>
        <translation>Das Neue der Nightscout-Website ins Tagebuch abrufen</translation>
    </message>
    <message>
        <source>the API secret file &quot;%1&quot; cannot be read: %2</source>
        <translation>die Datei mit dem API-Secret „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>the API secret file &quot;%1&quot; holds no secret on its first line</source>
        <translation>die Datei mit dem API-Secret „%1“ enthält in ihrer ersten Zeile kein Secret</translation>
    </message>
    <message>
        <source>Fetches the glucose entries and treatments that are new on the Nightscout site into the diary as one change; entries already in the diary, fetched or imported, are not added again. Without --url it asks the site set up in the window (Setup &gt; Nightscout) and goes on from the newest record the last fetch brought. The API secret is read from a file or from the environment variable %1, never from the command line, and only its SHA-1 is sent.
Exit status: 0 done (also when nothing was new), 1 the diary is open elsewhere or cannot be saved, 2 bad options, 3 the site cannot be reached or refused.</source>
        <translation>Ruft die Glukoseeinträge und Behandlungen, die auf der Nightscout-Website neu sind, als eine Änderung ins Tagebuch ab; Einträge, die schon im Tagebuch stehen, abgerufen oder importiert, werden nicht erneut hinzugefügt. Ohne --url fragt es die im Fenster eingerichtete Website (Einstellungen &gt; Nightscout-Website) und macht beim neuesten Datensatz weiter, den der letzte Abruf brachte. Das API-Secret wird aus einer Datei oder aus der Umgebungsvariablen %1 gelesen, nie von der Befehlszeile, und nur sein SHA-1 wird gesendet.
Rückgabewert: 0 erledigt (auch wenn nichts neu war), 1 das Tagebuch ist anderswo geöffnet oder kann nicht gespeichert werden, 2 falsche Optionen, 3 die Website ist nicht erreichbar oder lehnt ab.</translation>
    </message>
    <message>
        <source>The site&apos;s address; without it the stored site.</source>
        <translation>Die Adresse der Website; ohne sie die gespeicherte Website.</translation>
    </message>
    <message>
        <source>An access token of the site.</source>
        <translation>Ein Zugriffstoken der Website.</translation>
    </message>
    <message>
        <source>A file whose first line is the site&apos;s API secret.</source>
        <translation>Eine Datei, deren erste Zeile das API-Secret der Website ist.</translation>
    </message>
    <message>
        <source>Fetch from this day on, whatever was fetched before.</source>
        <translation>Ab diesem Tag abrufen, gleich, was schon abgerufen wurde.</translation>
    </message>
    <message>
        <source>--token and --api-secret-file exclude each other</source>
        <translation>--token und --api-secret-file schließen einander aus</translation>
    </message>
    <message>
        <source>--from is after today</source>
        <translation>--from liegt nach heute</translation>
    </message>
    <message>
        <source>no Nightscout site is set up: give --url, or set one up in the window (Setup &gt; Nightscout)</source>
        <translation>keine Nightscout-Website eingerichtet: --url angeben oder eine im Fenster einrichten (Einstellungen &gt; Nightscout-Website)</translation>
    </message>
    <message>
        <source>mellidor sync: %1 Nothing was added.</source>
        <translation>mellidor sync: %1 Es wurde nichts hinzugefügt.</translation>
    </message>
    <message>
        <source>The diary &quot;%1&quot; cannot be saved: %2 Nothing was added.
</source>
        <translation>Das Tagebuch „%1“ kann nicht gespeichert werden: %2 Es wurde nichts hinzugefügt.
</translation>
    </message>
    <message>
        <source>Nothing new</source>
        <translation>Nichts Neues</translation>
    </message>
    <message>
        <source>mellidor sync: where this fetch ended cannot be stored (%1); the next one asks for the same records again and skips them.</source>
        <translation>mellidor sync: wo dieser Abruf endete, kann nicht gespeichert werden (%1); der nächste fragt dieselben Datensätze noch einmal ab und überspringt sie.</translation>
    </message>
</context>
<context>
    <name>DayChart</name>
    <message>
        <source>Glucose, carbs and insulin of the day</source>
        <translation>Glukose, Kohlenhydrate und Insulin des Tages</translation>
    </message>
    <message>
        <source>No entries on this day</source>
        <translation>An diesem Tag gibt es keine Einträge</translation>
    </message>
</context>
<context>
    <name>DayView</name>
    <message>
        <source>First</source>
        <translation>Erster</translation>
    </message>
    <message>
        <source>First day with entries</source>
        <translation>Erster Tag mit Einträgen</translation>
    </message>
    <message>
        <source>◀ Entries</source>
        <translation>◀ Einträge</translation>
    </message>
    <message>
        <source>Previous day with entries</source>
        <translation>Voriger Tag mit Einträgen</translation>
    </message>
    <message>
        <source>◀ Week</source>
        <translation>◀ Woche</translation>
    </message>
    <message>
        <source>A week back</source>
        <translation>Eine Woche zurück</translation>
    </message>
    <message>
        <source>◀ Day</source>
        <translation>◀ Tag</translation>
    </message>
    <message>
        <source>Previous day</source>
        <translation>Voriger Tag</translation>
    </message>
    <message>
        <source>Day shown</source>
        <translation>Angezeigter Tag</translation>
    </message>
    <message>
        <source>Day ▶</source>
        <translation>Tag ▶</translation>
    </message>
    <message>
        <source>Next day</source>
        <translation>Nächster Tag</translation>
    </message>
    <message>
        <source>Week ▶</source>
        <translation>Woche ▶</translation>
    </message>
    <message>
        <source>A week on</source>
        <translation>Eine Woche weiter</translation>
    </message>
    <message>
        <source>Entries ▶</source>
        <translation>Einträge ▶</translation>
    </message>
    <message>
        <source>Next day with entries</source>
        <translation>Nächster Tag mit Einträgen</translation>
    </message>
    <message>
        <source>Newest</source>
        <translation>Neuester</translation>
    </message>
    <message>
        <source>Newest day with entries</source>
        <translation>Neuester Tag mit Einträgen</translation>
    </message>
    <message>
        <source>&amp;Week</source>
        <translation>&amp;Woche</translation>
    </message>
    <message>
        <source>The seven days from Monday to Sunday</source>
        <translation>Die sieben Tage von Montag bis Sonntag</translation>
    </message>
    <message>
        <source>Entries of the day</source>
        <translation>Einträge des Tages</translation>
    </message>
    <message>
        <source>Day View – %1</source>
        <translation>Tagesansicht – %1</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Mean glucose</source>
        <translation>Mittlere Glukose</translation>
    </message>
    <message>
        <source>Lowest</source>
        <translation>Niedrigster Wert</translation>
    </message>
    <message>
        <source>Highest</source>
        <translation>Höchster Wert</translation>
    </message>
    <message>
        <source>Time below %1</source>
        <translation>Zeit unter %1</translation>
    </message>
    <message>
        <source>Time in range %1–%2</source>
        <translation>Zeit im Zielbereich %1–%2</translation>
    </message>
    <message>
        <source>Time above %1</source>
        <translation>Zeit über %1</translation>
    </message>
    <message>
        <source>Carbs</source>
        <translation>Kohlenhydrate</translation>
    </message>
    <message>
        <source>Bolus insulin</source>
        <translation>Bolusinsulin</translation>
    </message>
    <message>
        <source>Basal insulin</source>
        <translation>Basalinsulin</translation>
    </message>
</context>
<context>
    <name>Diary</name>
    <message>
        <source>the folder %1 does not exist.</source>
        <translation>der Ordner %1 existiert nicht.</translation>
    </message>
    <message>
        <source>%1 is not a folder.</source>
        <translation>%1 ist kein Ordner.</translation>
    </message>
    <message>
        <source>it was written, but its folder cannot be synced to disk (%1).</source>
        <translation>sie wurde geschrieben, aber ihr Ordner kann nicht auf den Datenträger geschrieben werden (%1).</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; cannot be created.</source>
        <translation>Der Ordner „%1“ kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>1 entry without a readable date, time or value was not exported</source>
        <translation>1 Eintrag ohne lesbares Datum, lesbare Uhrzeit oder lesbaren Wert wurde nicht exportiert</translation>
    </message>
    <message>
        <source>%1 entries without a readable date, time or value were not exported</source>
        <translation>%1 Einträge ohne lesbares Datum, lesbare Uhrzeit oder lesbaren Wert wurden nicht exportiert</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; is no longer in the diary: another program changed or removed it.</source>
        <translation>Der Eintrag „%1“ steht nicht mehr im Tagebuch: ein anderes Programm hat ihn geändert oder entfernt.</translation>
    </message>
    <message>
        <source>Another program keeps changing the diary file, so &quot;%1&quot; could not be saved. The list shows the file as it is now.</source>
        <translation>Ein anderes Programm ändert die Tagebuchdatei fortlaufend, deshalb konnte „%1“ nicht gespeichert werden. Die Liste zeigt die Datei, wie sie jetzt ist.</translation>
    </message>
    <message>
        <source>Delete Entry</source>
        <translation>Eintrag löschen</translation>
    </message>
    <message>
        <source>Edit Entry</source>
        <translation>Eintrag bearbeiten</translation>
    </message>
    <message>
        <source> The corrected entry is added as a new one.</source>
        <translation> Der korrigierte Eintrag wird als neuer hinzugefügt.</translation>
    </message>
    <message>
        <source>Sort Entries</source>
        <translation>Einträge sortieren</translation>
    </message>
    <message>
        <source>Diary not read</source>
        <translation>Tagebuch nicht gelesen</translation>
    </message>
    <message>
        <source>The diary file &quot;%1&quot; was changed by another program and cannot be read now: %2</source>
        <translation>Die Tagebuchdatei „%1“ wurde von einem anderen Programm geändert und kann jetzt nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The diary file &quot;%1&quot; cannot be saved: %2</source>
        <translation>Die Tagebuchdatei „%1“ kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>it could not be read when Mellidor started, so it is left as it is.</source>
        <translation>sie konnte beim Start von Mellidor nicht gelesen werden und bleibt deshalb, wie sie ist.</translation>
    </message>
    <message>
        <source>it is open in another Mellidor%1.</source>
        <translation>sie ist in einem anderen Mellidor geöffnet%1.</translation>
    </message>
    <message>
        <source>another program keeps changing it.</source>
        <translation>ein anderes Programm ändert sie fortlaufend.</translation>
    </message>
    <message>
        <source>The diary file &quot;%1&quot; had been moved or deleted by another program. Mellidor wrote the whole list to it again.</source>
        <translation>Die Tagebuchdatei „%1“ wurde von einem anderen Programm verschoben oder gelöscht. Mellidor hat die ganze Liste erneut hineingeschrieben.</translation>
    </message>
    <message>
        <source>

The change stays in the list until Mellidor ends, but that file is never written over.</source>
        <translation>

Die Änderung bleibt in der Liste, bis Mellidor beendet wird, aber jene Datei wird nie überschrieben.</translation>
    </message>
    <message>
        <source>

The change stays in the list. Mellidor saves again with the next change and when you close it.</source>
        <translation>

Die Änderung bleibt in der Liste. Mellidor speichert erneut bei der nächsten Änderung und wenn Sie es schließen.</translation>
    </message>
    <message>
        <source>Diary changed outside</source>
        <translation>Tagebuch von außen geändert</translation>
    </message>
    <message>
        <source>it was changed by another program since Mellidor read it.</source>
        <translation>sie wurde von einem anderen Programm geändert, seit Mellidor sie gelesen hat.</translation>
    </message>
    <message>
        <source> What was written of the entry stays at the end of the file (%1).</source>
        <translation> Was vom Eintrag geschrieben wurde, bleibt am Ende der Datei (%1).</translation>
    </message>
    <message>
        <source>process %1 on %2</source>
        <translation>Prozess %1 auf %2</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>the lock file cannot be created</source>
        <translation>die Sperrdatei kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the diary</source>
        <translation>das Tagebuch</translation>
    </message>
    <message>
        <source>the settings file</source>
        <translation>die Einstellungsdatei</translation>
    </message>
    <message>
        <source>the diary&apos;s lock file</source>
        <translation>die Sperrdatei des Tagebuchs</translation>
    </message>
    <message>
        <source>it is %1 &quot;%2&quot;; choose another file.</source>
        <translation>sie ist %1 „%2“; wählen Sie eine andere Datei.</translation>
    </message>
    <message>
        <source>it is a directory, not a file.</source>
        <translation>sie ist ein Ordner, keine Datei.</translation>
    </message>
    <message>
        <source>it is a named pipe (FIFO), not a regular file.</source>
        <translation>sie ist eine benannte Pipe (FIFO), keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>it is a device, not a regular file.</source>
        <translation>sie ist ein Gerät, keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file.</source>
        <translation>sie ist ein Socket, keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>it is not a regular file.</source>
        <translation>sie ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>the diary is read-only.</source>
        <translation>das Tagebuch ist schreibgeschützt.</translation>
    </message>
    <message>
        <source>the preferences file</source>
        <translation>die Datei der Ansichtseinstellungen</translation>
    </message>
    <message>
        <source>the diary&apos;s journal</source>
        <translation>das Journal des Tagebuchs</translation>
    </message>
    <message>
        <source>the Nightscout settings file</source>
        <translation>die Nightscout-Einstellungsdatei</translation>
    </message>
</context>
<context>
    <name>Fetch</name>
    <message>
        <source>The site answers, but not as a Nightscout site does.</source>
        <translation>Die Website antwortet, aber nicht wie eine Nightscout-Website.</translation>
    </message>
    <message>
        <source>The fetch was cancelled.</source>
        <translation>Der Abruf wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The site&apos;s answer is no readable list of records.</source>
        <translation>Die Antwort der Website ist keine lesbare Liste von Datensätzen.</translation>
    </message>
    <message>
        <source>The site&apos;s answer is no readable list of records: %1.</source>
        <translation>Die Antwort der Website ist keine lesbare Liste von Datensätzen: %1.</translation>
    </message>
    <message>
        <source>Fetch from Nightscout</source>
        <translation>Von Nightscout abrufen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no web address such as https://example.org.</source>
        <translation>„%1“ ist keine Webadresse wie https://example.org.</translation>
    </message>
    <message>
        <source>Mellidor does not ask %1: it uses https, and plain http only for this computer (a loopback address such as 127.0.0.1).</source>
        <translation>Mellidor fragt %1 nicht ab: Es verwendet https und einfaches http nur für diesen Computer (eine Loopback-Adresse wie 127.0.0.1).</translation>
    </message>
    <message>
        <source>The site stopped answering: nothing came for %1 seconds.</source>
        <translation>Die Website antwortet nicht mehr: %1 Sekunden lang kam nichts.</translation>
    </message>
    <message>
        <source>The site&apos;s packed answer cannot be unpacked.</source>
        <translation>Die gepackte Antwort der Website lässt sich nicht entpacken.</translation>
    </message>
    <message>
        <source>The site&apos;s answer is larger than %1 MB; it is not read.</source>
        <translation>Die Antwort der Website ist größer als %1 MB; sie wird nicht gelesen.</translation>
    </message>
    <message>
        <source>The site sends Mellidor on to %1, which is neither https nor the same site; Mellidor does not follow it.</source>
        <translation>Die Website leitet Mellidor weiter zu %1, das weder https noch dieselbe Website ist; Mellidor folgt dem nicht.</translation>
    </message>
    <message>
        <source>The site sends Mellidor on to %1, another site; Mellidor does not take the token or API secret there. If that is the site&apos;s new address, enter it.</source>
        <translation>Die Website leitet Mellidor weiter zu %1, einer anderen Website; Mellidor nimmt das Token oder das API-Secret nicht dorthin mit. Wenn das die neue Adresse der Website ist, tragen Sie sie ein.</translation>
    </message>
    <message>
        <source>The site refused the token or API secret (HTTP status %1).</source>
        <translation>Die Website hat das Token oder das API-Secret abgelehnt (HTTP-Status %1).</translation>
    </message>
    <message>
        <source>The site&apos;s certificate is refused: %1.</source>
        <translation>Das Zertifikat der Website wird abgelehnt: %1.</translation>
    </message>
    <message>
        <source>The site answered with HTTP status %1 %2.</source>
        <translation>Die Website antwortete mit HTTP-Status %1 %2.</translation>
    </message>
    <message>
        <source>The site&apos;s answer broke off: %1.</source>
        <translation>Die Antwort der Website brach ab: %1.</translation>
    </message>
    <message>
        <source>The site cannot be reached: %1.</source>
        <translation>Die Website ist nicht erreichbar: %1.</translation>
    </message>
    <message>
        <source>The site&apos;s answer broke off before its end.</source>
        <translation>Die Antwort der Website brach vor ihrem Ende ab.</translation>
    </message>
</context>
<context>
    <name>Import</name>
    <message>
        <source>the file ends inside this row</source>
        <translation>die Datei endet mitten in dieser Zeile</translation>
    </message>
    <message>
        <source>no readable date and time</source>
        <translation>kein lesbares Datum und keine lesbare Uhrzeit</translation>
    </message>
    <message>
        <source>no glucose value</source>
        <translation>kein Glukosewert</translation>
    </message>
    <message>
        <source>no readable timestamp</source>
        <translation>kein lesbarer Zeitstempel</translation>
    </message>
    <message>
        <source>value out of range</source>
        <translation>Wert außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>no number for %1</source>
        <translation>keine Zahl für %1</translation>
    </message>
    <message>
        <source>no such date</source>
        <translation>dieses Datum gibt es nicht</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
    <message>
        <source>no readable time</source>
        <translation>keine lesbare Uhrzeit</translation>
    </message>
    <message>
        <source>is a zip archive that cannot be read: %1</source>
        <translation>ist ein ZIP-Archiv, das nicht gelesen werden kann: %1</translation>
    </message>
    <message>
        <source>is a zip archive that holds no Glooko export, the only zip archive Mellidor reads</source>
        <translation>ist ein ZIP-Archiv ohne Glooko-Export, dem einzigen ZIP-Archiv, das Mellidor liest</translation>
    </message>
    <message>
        <source>&quot;%1&quot; %2. Mellidor reads %3.</source>
        <translation>„%1“ %2. Mellidor liest %3.</translation>
    </message>
    <message>
        <source>is empty</source>
        <translation>ist leer</translation>
    </message>
    <message>
        <source>is not a text file</source>
        <translation>ist keine Textdatei</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; was cancelled.</source>
        <translation>Das Lesen von „%1“ wurde abgebrochen.</translation>
    </message>
    <message>
        <source>is not in a format Mellidor knows</source>
        <translation>ist in keinem Format, das Mellidor kennt</translation>
    </message>
    <message>
        <source>holds no entries (read as %1)</source>
        <translation>enthält keine Einträge (gelesen als %1)</translation>
    </message>
    <message>
        <source>it is too large to import (more than %1 GB)</source>
        <translation>sie ist zu groß für den Import (mehr als %1 GB)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be read: %2.</source>
        <translation>„%1“ kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>other row</source>
        <translation>andere Zeile</translation>
    </message>
    <message>
        <source>other rows</source>
        <translation>andere Zeilen</translation>
    </message>
    <message>
        <source>entry added</source>
        <translation>Eintrag hinzugefügt</translation>
    </message>
    <message>
        <source>entries added</source>
        <translation>Einträge hinzugefügt</translation>
    </message>
    <message>
        <source>duplicate skipped</source>
        <translation>Doppelter übersprungen</translation>
    </message>
    <message>
        <source>duplicates skipped</source>
        <translation>Doppelte übersprungen</translation>
    </message>
    <message>
        <source>row skipped</source>
        <translation>Zeile übersprungen</translation>
    </message>
    <message>
        <source>rows skipped</source>
        <translation>Zeilen übersprungen</translation>
    </message>
    <message>
        <source>value rounded</source>
        <translation>Wert gerundet</translation>
    </message>
    <message>
        <source>values rounded</source>
        <translation>Werte gerundet</translation>
    </message>
    <message>
        <source>, dates read day first</source>
        <translation>, Daten mit dem Tag zuerst gelesen</translation>
    </message>
    <message>
        <source>, dates read month first</source>
        <translation>, Daten mit dem Monat zuerst gelesen</translation>
    </message>
    <message>
        <source>%1 to %2 on %3 %4</source>
        <translation>%1 bis %2 am %3 %4</translation>
    </message>
    <message>
        <source>occurs twice</source>
        <translation>kommt zweimal vor</translation>
    </message>
    <message>
        <source>does not occur</source>
        <translation>kommt nicht vor</translation>
    </message>
    <message>
        <source>; the clock changes: </source>
        <translation>; die Uhr wird umgestellt: </translation>
    </message>
    <message>
        <source>line %1 (%2)</source>
        <translation>Zeile %1 (%2)</translation>
    </message>
    <message>
        <source>row not read</source>
        <translation>Zeile nicht gelesen</translation>
    </message>
    <message>
        <source>rows not read</source>
        <translation>Zeilen nicht gelesen</translation>
    </message>
    <message>
        <source>%1 at offset %2</source>
        <translation>%1 bei Position %2</translation>
    </message>
    <message>
        <source>no readable date</source>
        <translation>kein lesbares Datum</translation>
    </message>
    <message>
        <source>no readable value</source>
        <translation>kein lesbarer Wert</translation>
    </message>
    <message>
        <source>not a date, time, type and value</source>
        <translation>nicht Datum, Uhrzeit, Typ und Wert</translation>
    </message>
    <message>
        <source>a type with a comma or a line feed</source>
        <translation>ein Typ mit einem Komma oder einem Zeilenumbruch</translation>
    </message>
    <message>
        <source>not a diary line</source>
        <translation>keine Tagebuchzeile</translation>
    </message>
    <message>
        <source>no number for Bolus</source>
        <translation>keine Zahl für Bolus</translation>
    </message>
    <message>
        <source>is JSON that cannot be read: %1</source>
        <translation>ist JSON, das nicht gelesen werden kann: %1</translation>
    </message>
    <message>
        <source>the file ends inside this entry</source>
        <translation>die Datei endet mitten in diesem Eintrag</translation>
    </message>
    <message>
        <source>holds the readings of more than one person (ids %1), and a diary is one person&apos;s: import a table of one id</source>
        <translation>enthält die Messwerte von mehr als einer Person (IDs %1), ein Tagebuch gehört aber einer Person: importieren Sie eine Tabelle mit einer ID</translation>
    </message>
    <message>
        <source>no delivered insulin</source>
        <translation>kein abgegebenes Insulin</translation>
    </message>
    <message>
        <source>no number for carbs</source>
        <translation>keine Zahl für Kohlenhydrate</translation>
    </message>
    <message>
        <source>no insulin dose</source>
        <translation>keine Insulindosis</translation>
    </message>
    <message>
        <source>the file ends inside this record</source>
        <translation>die Datei endet mitten in diesem Datensatz</translation>
    </message>
    <message>
        <source>its list of files is missing (the archive is cut off or damaged)</source>
        <translation>sein Dateiverzeichnis fehlt (das Archiv ist abgeschnitten oder beschädigt)</translation>
    </message>
    <message>
        <source>it uses the ZIP64 extension, which Mellidor does not read</source>
        <translation>es benutzt die ZIP64-Erweiterung, die Mellidor nicht liest</translation>
    </message>
    <message>
        <source>it is one part of an archive split into several</source>
        <translation>es ist ein Teil eines in mehrere Teile aufgeteilten Archivs</translation>
    </message>
    <message>
        <source>its list of files lies outside the archive</source>
        <translation>sein Dateiverzeichnis liegt außerhalb des Archivs</translation>
    </message>
    <message>
        <source>it unpacks to more than %1 MB</source>
        <translation>es entpackt sich zu mehr als %1 MB</translation>
    </message>
    <message>
        <source>its list of files is damaged</source>
        <translation>sein Dateiverzeichnis ist beschädigt</translation>
    </message>
    <message>
        <source>the file &quot;%1&quot; in it</source>
        <translation>die Datei „%1“ darin</translation>
    </message>
    <message>
        <source>it holds a file without a proper name</source>
        <translation>es enthält eine Datei ohne gültigen Namen</translation>
    </message>
    <message>
        <source>%1 is encrypted</source>
        <translation>%1 ist verschlüsselt</translation>
    </message>
    <message>
        <source>%1 is packed with method %2, which Mellidor does not read</source>
        <translation>%1 ist mit Methode %2 gepackt, die Mellidor nicht liest</translation>
    </message>
    <message>
        <source>%1 has sizes that cannot be true</source>
        <translation>%1 hat Größen, die nicht stimmen können</translation>
    </message>
    <message>
        <source>%1 lies outside the archive or is damaged</source>
        <translation>%1 liegt außerhalb des Archivs oder ist beschädigt</translation>
    </message>
    <message>
        <source>%1 lies outside the archive (the archive is cut off)</source>
        <translation>%1 liegt außerhalb des Archivs (das Archiv ist abgeschnitten)</translation>
    </message>
    <message>
        <source>it cannot be unpacked: out of memory</source>
        <translation>es kann nicht entpackt werden: zu wenig Speicher</translation>
    </message>
    <message>
        <source>%1 is damaged</source>
        <translation>%1 ist beschädigt</translation>
    </message>
    <message>
        <source>%1 is damaged (its checksum does not match)</source>
        <translation>%1 ist beschädigt (die Prüfsumme stimmt nicht)</translation>
    </message>
    <message>
        <source>unexpected character at offset %1</source>
        <translation>unerwartetes Zeichen an Position %1</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>calibration</source>
        <translation>Kalibrierung</translation>
    </message>
    <message>
        <source>calibrations</source>
        <translation>Kalibrierungen</translation>
    </message>
    <message>
        <source>basal rate row</source>
        <translation>Basalratenzeile</translation>
    </message>
    <message>
        <source>basal rate rows</source>
        <translation>Basalratenzeilen</translation>
    </message>
    <message>
        <source>temporary basal row</source>
        <translation>Zeile mit temporärer Basalrate</translation>
    </message>
    <message>
        <source>temporary basal rows</source>
        <translation>Zeilen mit temporärer Basalrate</translation>
    </message>
    <message>
        <source>bolus programming row</source>
        <translation>Bolusprogrammierungszeile</translation>
    </message>
    <message>
        <source>bolus programming rows</source>
        <translation>Bolusprogrammierungszeilen</translation>
    </message>
    <message>
        <source>bolus wizard row without carbs</source>
        <translation>Bolusrechnerzeile ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>bolus wizard rows without carbs</source>
        <translation>Bolusrechnerzeilen ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>prime</source>
        <translation>Füllvorgang</translation>
    </message>
    <message>
        <source>primes</source>
        <translation>Füllvorgänge</translation>
    </message>
    <message>
        <source>rewind</source>
        <translation>Rückspulvorgang</translation>
    </message>
    <message>
        <source>rewinds</source>
        <translation>Rückspulvorgänge</translation>
    </message>
    <message>
        <source>suspend</source>
        <translation>Unterbrechung</translation>
    </message>
    <message>
        <source>suspends</source>
        <translation>Unterbrechungen</translation>
    </message>
    <message>
        <source>alert</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>alerts</source>
        <translation>Warnungen</translation>
    </message>
    <message>
        <source>alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>alarms</source>
        <translation>Alarme</translation>
    </message>
    <message>
        <source>sensor exception</source>
        <translation>Sensorausnahme</translation>
    </message>
    <message>
        <source>sensor exceptions</source>
        <translation>Sensorausnahmen</translation>
    </message>
    <message>
        <source>event marker</source>
        <translation>Ereignismarker</translation>
    </message>
    <message>
        <source>event markers</source>
        <translation>Ereignismarker</translation>
    </message>
    <message>
        <source>daily auto-insulin total</source>
        <translation>Auto-Insulin-Tagessumme</translation>
    </message>
    <message>
        <source>daily auto-insulin totals</source>
        <translation>Auto-Insulin-Tagessummen</translation>
    </message>
    <message>
        <source>insulin marker</source>
        <translation>Insulinmarker</translation>
    </message>
    <message>
        <source>insulin markers</source>
        <translation>Insulinmarker</translation>
    </message>
    <message>
        <source>day marker</source>
        <translation>Tagesmarker</translation>
    </message>
    <message>
        <source>day markers</source>
        <translation>Tagesmarker</translation>
    </message>
    <message>
        <source>has a line longer than %1 MB (line %2), which no export holds</source>
        <translation>hat eine Zeile von mehr als %1 MB (Zeile %2), wie sie kein Export enthält</translation>
    </message>
    <message>
        <source>daily insulin total</source>
        <translation>Insulin-Tagessumme</translation>
    </message>
    <message>
        <source>daily insulin totals</source>
        <translation>Insulin-Tagessummen</translation>
    </message>
    <message>
        <source>Dexcom Clarity CSV</source>
        <translation>Dexcom Clarity CSV</translation>
    </message>
    <message>
        <source>Medtronic CareLink CSV</source>
        <translation>Medtronic CareLink CSV</translation>
    </message>
    <message>
        <source>LibreView CSV</source>
        <translation>LibreView CSV</translation>
    </message>
    <message>
        <source>Tidepool JSON and CSV</source>
        <translation>Tidepool JSON und CSV</translation>
    </message>
    <message>
        <source>Nightscout entries (JSON, CSV or TSV), Nightscout treatments JSON</source>
        <translation>Nightscout-Einträge (JSON, CSV oder TSV), Nightscout-Behandlungen (JSON)</translation>
    </message>
    <message>
        <source>research tables (id, time, gl)</source>
        <translation>Forschungstabellen (id, time, gl)</translation>
    </message>
    <message>
        <source>mySugr CSV</source>
        <translation>mySugr CSV</translation>
    </message>
    <message>
        <source>Glooko export (zip or CSV)</source>
        <translation>Glooko-Export (ZIP oder CSV)</translation>
    </message>
    <message>
        <source>Mellidor&apos;s CSV export</source>
        <translation>Mellidors CSV-Export</translation>
    </message>
    <message>
        <source>Mellidor diary files</source>
        <translation>Mellidor-Tagebuchdateien</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; %2.</source>
        <translation>„%1“ %2.</translation>
    </message>
    <message>
        <source>, text read as Windows-1252</source>
        <translation>, Text als Windows-1252 gelesen</translation>
    </message>
    <message>
        <source>its top level object has more than %1 members, and an export keeps its records in one array</source>
        <translation>sein oberstes Objekt hat mehr als %1 Einträge, ein Export hält seine Datensätze aber in einem Array</translation>
    </message>
    <message>
        <source>missing reading</source>
        <translation>fehlender Messwert</translation>
    </message>
    <message>
        <source>missing readings</source>
        <translation>fehlende Messwerte</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <translation>„%1“</translation>
    </message>
    <message>
        <source>more</source>
        <translation>weitere</translation>
    </message>
    <message>
        <source>basal record</source>
        <translation>Basaldatensatz</translation>
    </message>
    <message>
        <source>basal records</source>
        <translation>Basaldatensätze</translation>
    </message>
    <message>
        <source>upload record</source>
        <translation>Upload-Datensatz</translation>
    </message>
    <message>
        <source>upload records</source>
        <translation>Upload-Datensätze</translation>
    </message>
    <message>
        <source>device event</source>
        <translation>Geräteereignis</translation>
    </message>
    <message>
        <source>device events</source>
        <translation>Geräteereignisse</translation>
    </message>
    <message>
        <source>pump settings record</source>
        <translation>Pumpeneinstellungsdatensatz</translation>
    </message>
    <message>
        <source>pump settings records</source>
        <translation>Pumpeneinstellungsdatensätze</translation>
    </message>
    <message>
        <source>CGM settings record</source>
        <translation>CGM-Einstellungsdatensatz</translation>
    </message>
    <message>
        <source>CGM settings records</source>
        <translation>CGM-Einstellungsdatensätze</translation>
    </message>
    <message>
        <source>physical activity record</source>
        <translation>Aktivitätsdatensatz</translation>
    </message>
    <message>
        <source>physical activity records</source>
        <translation>Aktivitätsdatensätze</translation>
    </message>
    <message>
        <source>reported state record</source>
        <translation>Befindensdatensatz</translation>
    </message>
    <message>
        <source>reported state records</source>
        <translation>Befindensdatensätze</translation>
    </message>
    <message>
        <source>blood ketone record</source>
        <translation>Blutketondatensatz</translation>
    </message>
    <message>
        <source>blood ketone records</source>
        <translation>Blutketondatensätze</translation>
    </message>
    <message>
        <source>water record</source>
        <translation>Wasserdatensatz</translation>
    </message>
    <message>
        <source>water records</source>
        <translation>Wasserdatensätze</translation>
    </message>
    <message>
        <source>controller settings record</source>
        <translation>Controller-Einstellungsdatensatz</translation>
    </message>
    <message>
        <source>controller settings records</source>
        <translation>Controller-Einstellungsdatensätze</translation>
    </message>
    <message>
        <source>controller status record</source>
        <translation>Controller-Statusdatensatz</translation>
    </message>
    <message>
        <source>controller status records</source>
        <translation>Controller-Statusdatensätze</translation>
    </message>
    <message>
        <source>dosing decision</source>
        <translation>Dosierungsentscheidung</translation>
    </message>
    <message>
        <source>dosing decisions</source>
        <translation>Dosierungsentscheidungen</translation>
    </message>
    <message>
        <source>record of another type</source>
        <translation>Datensatz eines anderen Typs</translation>
    </message>
    <message>
        <source>records of other types</source>
        <translation>Datensätze anderer Typen</translation>
    </message>
    <message>
        <source>wizard record without carbs</source>
        <translation>Bolusrechnerdatensatz ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>wizard records without carbs</source>
        <translation>Bolusrechnerdatensätze ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>food record without carbs</source>
        <translation>Mahlzeitendatensatz ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>food records without carbs</source>
        <translation>Mahlzeitendatensätze ohne Kohlenhydrate</translation>
    </message>
    <message>
        <source>it unpacks to more than %1 times its size, which no export does</source>
        <translation>es entpackt sich zu mehr als dem %1-Fachen seiner Größe, was kein Export tut</translation>
    </message>
</context>
<context>
    <name>ListBox</name>
    <message>
        <source>Diary entries</source>
        <translation>Tagebucheinträge</translation>
    </message>
</context>
<context>
    <name>Mellidor</name>
    <message>
        <source>Reading the files...</source>
        <translation>Die Dateien werden gelesen...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot;...</source>
        <translation>„%1“ wird gelesen...</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; was cancelled.</source>
        <translation>Das Lesen von „%1“ wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Export files (*.csv *.tsv *.txt *.json);;All files (*)</source>
        <translation>Exportdateien (*.csv *.tsv *.txt *.json);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Nothing imported</source>
        <translation>Nichts importiert</translation>
    </message>
    <message>
        <source>

Nothing was imported.</source>
        <translation>

Es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>The glucose readings were in mmol/L. Show glucose in mmol/L from now on? (Setup menu, Glucose Unit)</source>
        <translation>Die Glukosewerte waren in mmol/L. Glukose ab jetzt in mmol/L zeigen? (Menü Einstellungen, Glukoseeinheit)</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Not exported</source>
        <translation>Nicht exportiert</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; cannot be written: %2</source>
        <translation>Die Datei „%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>&amp;New Value</source>
        <translation>&amp;Neuer Wert</translation>
    </message>
    <message>
        <source>&amp;Edit Value</source>
        <translation>Wert &amp;bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Delete Value</source>
        <translation>Wert &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Importieren...</translation>
    </message>
    <message>
        <source>E&amp;xport...</source>
        <translation>E&amp;xportieren...</translation>
    </message>
    <message>
        <source>&amp;Line Diagram</source>
        <translation>&amp;Liniendiagramm</translation>
    </message>
    <message>
        <source>&amp;Bar Chart</source>
        <translation>&amp;Balkendiagramm</translation>
    </message>
    <message>
        <source>&amp;Histogram</source>
        <translation>&amp;Histogramm</translation>
    </message>
    <message>
        <source>&amp;Statistics</source>
        <translation>&amp;Statistik</translation>
    </message>
    <message>
        <source>&amp;Report...</source>
        <translation>Be&amp;richt...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;General Setup</source>
        <translation>&amp;Allgemeine Einstellungen</translation>
    </message>
    <message>
        <source>Glucose &amp;Unit</source>
        <translation>Glukose&amp;einheit</translation>
    </message>
    <message>
        <source>&amp;Insulin Doses</source>
        <translation>&amp;Insulindosen</translation>
    </message>
    <message>
        <source>&amp;Whole Units</source>
        <translation>&amp;Ganze Einheiten</translation>
    </message>
    <message>
        <source>&amp;Fractions</source>
        <translation>&amp;Nachkommastellen</translation>
    </message>
    <message>
        <source>&amp;Input</source>
        <translation>&amp;Eingabe</translation>
    </message>
    <message>
        <source>&amp;Graphic</source>
        <translation>&amp;Grafik</translation>
    </message>
    <message>
        <source>&amp;Setup</source>
        <translation>Ein&amp;stellungen</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Preferences not saved</source>
        <translation>Ansichtseinstellungen nicht gespeichert</translation>
    </message>
    <message>
        <source>The preferences file &quot;%1&quot; cannot be written: %2

The choice holds until Mellidor ends.</source>
        <translation>Die Datei der Ansichtseinstellungen „%1“ kann nicht geschrieben werden: %2

Die Wahl gilt, bis Mellidor beendet wird.</translation>
    </message>
    <message>
        <source>Diary not read</source>
        <translation>Tagebuch nicht gelesen</translation>
    </message>
    <message>
        <source>The diary file &quot;%1&quot; cannot be read: %2

Mellidor starts with an empty list and will not write over that file.</source>
        <translation>Die Tagebuchdatei „%1“ kann nicht gelesen werden: %2

Mellidor beginnt mit einer leeren Liste und überschreibt diese Datei nicht.</translation>
    </message>
    <message>
        <source>

Retry, discard the unsaved entries and quit, or cancel and keep Mellidor open.</source>
        <translation>

Wiederholen, die ungespeicherten Einträge verwerfen und beenden, oder abbrechen und Mellidor geöffnet lassen.</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Value Input:</source>
        <translation>Werteingabe:</translation>
    </message>
    <message>
        <source>New Entry</source>
        <translation>Neuer Eintrag</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Lower Gluco Limit:</source>
        <translation>Untere Glukosegrenze:</translation>
    </message>
    <message>
        <source>Upper Gluco Limit:</source>
        <translation>Obere Glukosegrenze:</translation>
    </message>
    <message>
        <source>Max Gluco:</source>
        <translation>Max. Glukose:</translation>
    </message>
    <message>
        <source>Show days back from today:</source>
        <translation>Tage zurück ab heute zeigen:</translation>
    </message>
    <message>
        <source>Settings not saved</source>
        <translation>Einstellungen nicht gespeichert</translation>
    </message>
    <message>
        <source>The settings file &quot;%1&quot; cannot be written: %2

The new settings hold until Mellidor ends.</source>
        <translation>Die Einstellungsdatei „%1“ kann nicht geschrieben werden: %2

Die neuen Einstellungen gelten, bis Mellidor beendet wird.</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>&amp;Targets</source>
        <translation>&amp;Ziele</translation>
    </message>
    <message>
        <source>&amp;Standard (type 1 and type 2)</source>
        <translation>&amp;Standard (Typ 1 und Typ 2)</translation>
    </message>
    <message>
        <source>&amp;Older or high-risk</source>
        <translation>Ä&amp;ltere oder Menschen mit hohem Risiko</translation>
    </message>
    <message>
        <source>Pregnancy, type &amp;1</source>
        <translation>Schwangerschaft, Typ &amp;1</translation>
    </message>
    <message>
        <source>Pregnancy, type &amp;2 or gestational</source>
        <translation>Schwangerschaft, Typ &amp;2 oder Gestationsdiabetes</translation>
    </message>
    <message>
        <source>&amp;Fetch from Nightscout</source>
        <translation>Von Nightscout &amp;abrufen</translation>
    </message>
    <message>
        <source>&amp;Nightscout...</source>
        <translation>&amp;Nightscout-Website...</translation>
    </message>
    <message>
        <source>The Nightscout settings file &quot;%1&quot; cannot be written: %2

The new settings hold until Mellidor ends.</source>
        <translation>Die Nightscout-Einstellungsdatei „%1“ kann nicht geschrieben werden: %2

Die neuen Einstellungen gelten, bis Mellidor beendet wird.</translation>
    </message>
    <message>
        <source>Nightscout</source>
        <translation>Nightscout</translation>
    </message>
    <message>
        <source>Site &amp;address:</source>
        <translation>&amp;Adresse der Website:</translation>
    </message>
    <message>
        <source>Access token</source>
        <translation>Zugriffstoken</translation>
    </message>
    <message>
        <source>API secret</source>
        <translation>API-Secret</translation>
    </message>
    <message>
        <source>Token or API secret</source>
        <translation>Token oder API-Secret</translation>
    </message>
    <message>
        <source>stored; type a new one to replace it</source>
        <translation>gespeichert; zum Ersetzen ein neues eingeben</translation>
    </message>
    <message>
        <source>Sign &amp;in with:</source>
        <translation>Anmelden &amp;mit:</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Fetch every 5 minutes while Mellidor is open</source>
        <translation>Alle 5 Minuten abrufen, solange Mellidor geöffnet ist</translation>
    </message>
    <message>
        <source> days back</source>
        <translation> Tage zurück</translation>
    </message>
    <message>
        <source>&amp;First fetch, for a diary with nothing from the site yet:</source>
        <translation>&amp;Erster Abruf, für ein Tagebuch noch ohne Daten der Website:</translation>
    </message>
    <message>
        <source>Enter the site&apos;s address first.</source>
        <translation>Geben Sie zuerst die Adresse der Website ein.</translation>
    </message>
    <message>
        <source>Asking the site...</source>
        <translation>Die Website wird gefragt...</translation>
    </message>
    <message>
        <source>The site answers: %1, Nightscout %2, glucose in %3.</source>
        <translation>Die Website antwortet: %1, Nightscout %2, Glukose in %3.</translation>
    </message>
    <message>
        <source>Fetch from Nightscout</source>
        <translation>Von Nightscout abrufen</translation>
    </message>
    <message>
        <source>No Nightscout site is set up yet: enter its address under Setup &gt; Nightscout.</source>
        <translation>Es ist noch keine Nightscout-Website eingerichtet: Tragen Sie ihre Adresse unter Einstellungen &gt; Nightscout-Website ein.</translation>
    </message>
    <message>
        <source>Fetching from %1...</source>
        <translation>Abruf von %1...</translation>
    </message>
    <message>
        <source>Nothing new</source>
        <translation>Nichts Neues</translation>
    </message>
    <message>
        <source>

Where this fetch ended cannot be stored (%1); the next fetch asks for the same records again and skips them.</source>
        <translation>

Wo dieser Abruf endete, kann nicht gespeichert werden (%1); der nächste Abruf fragt dieselben Datensätze noch einmal ab und überspringt sie.</translation>
    </message>
    <message>
        <source>Nothing fetched</source>
        <translation>Nichts abgerufen</translation>
    </message>
    <message>
        <source>

Nothing was added.</source>
        <translation>

Es wurde nichts hinzugefügt.</translation>
    </message>
    <message>
        <source>

Mellidor goes on trying every 5 minutes and says nothing more until a fetch works again.</source>
        <translation>

Mellidor versucht es weiter alle 5 Minuten und meldet nichts mehr, bis ein Abruf wieder gelingt.</translation>
    </message>
    <message>
        <source>&amp;Day View</source>
        <translation>&amp;Tagesansicht</translation>
    </message>
    <message>
        <source>Go to Date</source>
        <translation>Zu Datum gehen</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Go to Date...</source>
        <translation>&amp;Zu Datum gehen...</translation>
    </message>
    <message>
        <source>Show &amp;Sensor Readings</source>
        <translation>&amp;Sensorwerte anzeigen</translation>
    </message>
    <message>
        <source>Show &amp;Day</source>
        <translation>&amp;Tag anzeigen</translation>
    </message>
</context>
<context>
    <name>MellidorPaint</name>
    <message>
        <source>Glucose</source>
        <translation>Glukose</translation>
    </message>
</context>
<context>
    <name>PeriodChooser</name>
    <message>
        <source>%1 days</source>
        <translation>%1 Tage</translation>
    </message>
    <message>
        <source>All entries</source>
        <translation>Alle Einträge</translation>
    </message>
    <message>
        <source>From - to</source>
        <translation>Von – bis</translation>
    </message>
    <message>
        <source>from</source>
        <translation>von</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>%1 to %2 (%3 %4)</source>
        <translation>%1 bis %2 (%3 %4)</translation>
    </message>
    <message>
        <source>day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>days</source>
        <translation>Tage</translation>
    </message>
    <message>
        <source>Glucose report</source>
        <translation>Glukosebericht</translation>
    </message>
    <message>
        <source>Period %1, made on %2, values in %3</source>
        <translation>Zeitraum %1, erstellt am %2, Werte in %3</translation>
    </message>
    <message>
        <source>Glycaemia risk index</source>
        <translation>Glykämie-Risikoindex</translation>
    </message>
    <message>
        <source>Ambulatory glucose profile: median, 25-75 and 5-95 %</source>
        <translation>Ambulantes Glukoseprofil: Median, 25–75 und 5–95 %</translation>
    </message>
    <message>
        <source>No readings in this period</source>
        <translation>Keine Messwerte in diesem Zeitraum</translation>
    </message>
    <message>
        <source> (continued)</source>
        <translation> (Fortsetzung)</translation>
    </message>
    <message>
        <source>no readings</source>
        <translation>keine Messwerte</translation>
    </message>
    <message>
        <source>%1 readings, mean %2, lowest %3, highest %4 %5</source>
        <translation>%1 Messwerte, Mittel %2, niedrigster %3, höchster %4 %5</translation>
    </message>
    <message>
        <source>%1; carbs %2, bolus %3, basal %4</source>
        <translation>%1; Kohlenhydrate %2, Bolus %3, Basal %4</translation>
    </message>
    <message>
        <source>Glucose report </source>
        <translation>Glukosebericht </translation>
    </message>
    <message>
        <source>page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>Daily glucose, most recent week first</source>
        <translation>Glukose pro Tag, neueste Woche zuerst</translation>
    </message>
    <message>
        <source>Daily glucose, continued</source>
        <translation>Glukose pro Tag, Fortsetzung</translation>
    </message>
    <message>
        <source>Logbook, newest day first</source>
        <translation>Tagebuch, neuester Tag zuerst</translation>
    </message>
    <message>
        <source>the report could not be painted.</source>
        <translation>der Bericht konnte nicht gezeichnet werden.</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Print report</source>
        <translation>Bericht drucken</translation>
    </message>
    <message>
        <source>The report could not be printed.</source>
        <translation>Der Bericht konnte nicht gedruckt werden.</translation>
    </message>
    <message>
        <source>The period ends before it starts.</source>
        <translation>Der Zeitraum endet, bevor er beginnt.</translation>
    </message>
    <message>
        <source>A report covers at most %1 days; choose a shorter period.</source>
        <translation>Ein Bericht umfasst höchstens %1 Tage; wählen Sie einen kürzeren Zeitraum.</translation>
    </message>
    <message>
        <source>Period before: %1</source>
        <translation>Zeitraum davor: %1</translation>
    </message>
</context>
<context>
    <name>ReportDialog</name>
    <message>
        <source>&amp;Period:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>&amp;Einheit:</translation>
    </message>
    <message>
        <source>&amp;Compare with the period before</source>
        <translation>Mit dem Zeitraum davor &amp;vergleichen</translation>
    </message>
</context>
<context>
    <name>Statistics</name>
    <message>
        <source>Very high</source>
        <translation>Sehr hoch</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>In range</source>
        <translation>Im Zielbereich</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Very low</source>
        <translation>Sehr niedrig</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Days with readings</source>
        <translation>Tage mit Messwerten</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Sensor coverage</source>
        <translation>Sensorabdeckung</translation>
    </message>
    <message>
        <source>Mean glucose</source>
        <translation>Mittlere Glukose</translation>
    </message>
    <message>
        <source>Standard deviation</source>
        <translation>Standardabweichung</translation>
    </message>
    <message>
        <source>Coefficient of variation</source>
        <translation>Variationskoeffizient</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Median</source>
        <translation>Median</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Glucose management indicator</source>
        <translation>Glukose-Management-Indikator</translation>
    </message>
    <message>
        <source>Estimated HbA1c</source>
        <translation>Geschätzter HbA1c</translation>
    </message>
    <message>
        <source>Time above %1</source>
        <translation>Zeit über %1</translation>
    </message>
    <message>
        <source>Time in range %1–%2</source>
        <translation>Zeit im Zielbereich %1–%2</translation>
    </message>
    <message>
        <source>Time below %1</source>
        <translation>Zeit unter %1</translation>
    </message>
    <message>
        <source>At or above your upper limit %1</source>
        <translation>Auf oder über Ihrer oberen Grenze %1</translation>
    </message>
    <message>
        <source>Between your limits</source>
        <translation>Zwischen Ihren Grenzen</translation>
    </message>
    <message>
        <source>At or below your lower limit %1</source>
        <translation>Auf oder unter Ihrer unteren Grenze %1</translation>
    </message>
    <message>
        <source>Time in tight range %1–%2</source>
        <translation>Zeit im engen Zielbereich %1–%2</translation>
    </message>
    <message>
        <source>Glycaemia risk index</source>
        <translation>Glykämie-Risikoindex</translation>
    </message>
    <message>
        <source>%1 (zone %2)</source>
        <translation>%1 (Zone %2)</translation>
    </message>
    <message>
        <source>GRI hypoglycaemia component</source>
        <translation>GRI-Hypoglykämie-Anteil</translation>
    </message>
    <message>
        <source>GRI hyperglycaemia component</source>
        <translation>GRI-Hyperglykämie-Anteil</translation>
    </message>
    <message>
        <source>Low blood glucose index</source>
        <translation>Index niedriger Blutglukose</translation>
    </message>
    <message>
        <source>High blood glucose index</source>
        <translation>Index hoher Blutglukose</translation>
    </message>
    <message>
        <source>Mean amplitude of excursions</source>
        <translation>Mittlere Amplitude der Schwankungen</translation>
    </message>
    <message>
        <source>%1 %2 below %3</source>
        <translation>%1 %2 unter %3</translation>
    </message>
    <message>
        <source>event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source> (mean %1 min)</source>
        <translation> (im Mittel %1 min)</translation>
    </message>
    <message>
        <source>, %1 below %2</source>
        <translation>, %1 unter %2</translation>
    </message>
    <message>
        <source>No glucose readings in this period.</source>
        <translation>Keine Glukosewerte in diesem Zeitraum.</translation>
    </message>
    <message>
        <source>Only %1 days with readings: the figures need at least %2.</source>
        <translation>Nur %1 Tage mit Messwerten: die Kennzahlen brauchen mindestens %2.</translation>
    </message>
    <message>
        <source>Sensor coverage is %1: the figures need at least %2 %.</source>
        <translation>Die Sensorabdeckung beträgt %1: die Kennzahlen brauchen mindestens %2 %.</translation>
    </message>
    <message>
        <source>Targets</source>
        <translation>Ziele</translation>
    </message>
    <message>
        <source>Per day, over 1 day with entries</source>
        <translation>Pro Tag, über 1 Tag mit Einträgen</translation>
    </message>
    <message>
        <source>Per day, over %1 days with entries</source>
        <translation>Pro Tag, über %1 Tage mit Einträgen</translation>
    </message>
    <message>
        <source>Carbs</source>
        <translation>Kohlenhydrate</translation>
    </message>
    <message>
        <source>Bolus insulin</source>
        <translation>Bolusinsulin</translation>
    </message>
    <message>
        <source>Basal insulin</source>
        <translation>Basalinsulin</translation>
    </message>
    <message>
        <source>No basal insulin recorded in this period</source>
        <translation>Kein Basalinsulin in diesem Zeitraum eingetragen</translation>
    </message>
    <message>
        <source>Total insulin</source>
        <translation>Insulin gesamt</translation>
    </message>
    <message>
        <source>Basal share of the insulin</source>
        <translation>Basalanteil am Insulin</translation>
    </message>
    <message>
        <source>Compared with %1 to %2</source>
        <translation>Verglichen mit %1 bis %2</translation>
    </message>
    <message>
        <source>Standard (type 1 and type 2)</source>
        <translation>Standard (Typ 1 und Typ 2)</translation>
    </message>
    <message>
        <source>Older or high-risk</source>
        <translation>Ältere oder Menschen mit hohem Risiko</translation>
    </message>
    <message>
        <source>Pregnancy, type 1</source>
        <translation>Schwangerschaft, Typ 1</translation>
    </message>
    <message>
        <source>Pregnancy, type 2 or gestational</source>
        <translation>Schwangerschaft, Typ 2 oder Gestationsdiabetes</translation>
    </message>
    <message>
        <source>The last %1 days hold no readings: these are the %1 days up to the newest one.</source>
        <translation>Die letzten %1 Tage enthalten keine Messwerte: dies sind die %1 Tage bis zum neuesten.</translation>
    </message>
</context>
<context>
    <name>StatisticsWindow</name>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>&amp;Period:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>&amp;Einheit:</translation>
    </message>
    <message>
        <source>Consensus target</source>
        <translation>Konsensziel</translation>
    </message>
    <message>
        <source>Save PDF...</source>
        <translation>PDF speichern...</translation>
    </message>
    <message>
        <source>Print...</source>
        <translation>Drucken...</translation>
    </message>
    <message>
        <source>The period ends before it starts.</source>
        <translation>Der Zeitraum endet, bevor er beginnt.</translation>
    </message>
    <message>
        <source>%1 to %2 (%3 days)</source>
        <translation>%1 bis %2 (%3 Tage)</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>&amp;Compare with the period before</source>
        <translation>Mit dem Zeitraum davor &amp;vergleichen</translation>
    </message>
</context>
<context>
    <name>UserMessage</name>
    <message>
        <source>Diary not saved</source>
        <translation>Tagebuch nicht gespeichert</translation>
    </message>
    <message>
        <source>&amp;Discard Unsaved Entries</source>
        <translation>Ungespeicherte Einträge &amp;verwerfen</translation>
    </message>
</context>
</TS>
