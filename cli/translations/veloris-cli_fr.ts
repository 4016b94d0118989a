<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Cli</name>
    <message>
        <source>Reading</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Writing</source>
        <translation>Écriture</translation>
    </message>
    <message>
        <source>slot %1</source>
        <translation>emplacement %1</translation>
    </message>
    <message>
        <source>%1 is not an object.</source>
        <translation>%1 n&apos;est pas un objet.</translation>
    </message>
    <message>
        <source>%1: unknown key &quot;%2&quot;.</source>
        <translation>%1 : clé inconnue « %2 ».</translation>
    </message>
    <message>
        <source>the key &quot;%1&quot; comes twice.</source>
        <translation>la clé « %1 » figure deux fois.</translation>
    </message>
    <message>
        <source>%1: the address is not %2.</source>
        <translation>%1 : l&apos;adresse n&apos;est pas %2.</translation>
    </message>
    <message>
        <source>%1: the record is not four hex byte pairs.</source>
        <translation>%1 : l&apos;enregistrement n&apos;est pas fait de quatre paires hexadécimales.</translation>
    </message>
    <message>
        <source>%1: the record is not framed CC ... DD.</source>
        <translation>%1 : l&apos;enregistrement n&apos;est pas encadré par CC ... DD.</translation>
    </message>
    <message>
        <source>%1: the value is not a whole number from 0 to 65535.</source>
        <translation>%1 : la valeur n&apos;est pas un nombre entier de 0 à 65535.</translation>
    </message>
    <message>
        <source>%1: the value %2 is not the one the record holds (%3).</source>
        <translation>%1 : la valeur %2 n&apos;est pas celle de l&apos;enregistrement (%3).</translation>
    </message>
    <message>
        <source>it is not JSON (%1 at byte %2).</source>
        <translation>ce n&apos;est pas du JSON (%1 à l&apos;octet %2).</translation>
    </message>
    <message>
        <source>it is not a JSON object.</source>
        <translation>ce n&apos;est pas un objet JSON.</translation>
    </message>
    <message>
        <source>it is not a VELORIS parameter backup (&quot;format&quot; is not &quot;%1&quot;).</source>
        <translation>ce n&apos;est pas une sauvegarde de paramètres VELORIS (« format » n&apos;est pas « %1 »).</translation>
    </message>
    <message>
        <source>its version is %1; this program reads version %2.</source>
        <translation>sa version est %1 ; ce programme lit la version %2.</translation>
    </message>
    <message>
        <source>missing or not a number</source>
        <translation>absente ou non numérique</translation>
    </message>
    <message>
        <source>&quot;slots&quot; does not hold exactly four slots.</source>
        <translation>« slots » ne contient pas exactement quatre emplacements.</translation>
    </message>
    <message>
        <source>it cannot be read (%1).</source>
        <translation>il ne peut pas être lu (%1).</translation>
    </message>
    <message>
        <source>it is larger than %1 bytes; a backup is far smaller.</source>
        <translation>il dépasse %1 octets ; une sauvegarde est bien plus petite.</translation>
    </message>
    <message>
        <source>%1 exists already; --force replaces it. Nothing was read.</source>
        <translation>%1 existe déjà ; --force le remplace. Rien n&apos;a été lu.</translation>
    </message>
    <message>
        <source>%1 cannot be written (%2). Nothing was read.</source>
        <translation>%1 ne peut pas être écrit (%2). Rien n&apos;a été lu.</translation>
    </message>
    <message>
        <source>The read is incomplete: nothing was saved.</source>
        <translation>La lecture est incomplète : rien n&apos;a été sauvegardé.</translation>
    </message>
    <message>
        <source>%1 appeared while the board was read; --force replaces it. Nothing was saved.</source>
        <translation>%1 est apparu pendant la lecture de la carte ; --force le remplace. Rien n&apos;a été sauvegardé.</translation>
    </message>
    <message>
        <source>%1 could not be saved (%2).</source>
        <translation>%1 n&apos;a pas pu être sauvegardé (%2).</translation>
    </message>
    <message>
        <source>Saved in %1.</source>
        <translation>Sauvegardé dans %1.</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Paramètre</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Clé</translation>
    </message>
    <message>
        <source>Board</source>
        <translation>Carte</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>same</source>
        <translation>identique</translation>
    </message>
    <message>
        <source>differs</source>
        <translation>différent</translation>
    </message>
    <message>
        <source>The file %1 is refused: %2 Nothing was opened.</source>
        <translation>Le fichier %1 est refusé : %2 Rien n&apos;a été ouvert.</translation>
    </message>
    <message>
        <source>The board does not hold the values of %1.</source>
        <translation>La carte ne contient pas les valeurs de %1.</translation>
    </message>
    <message>
        <source>The board holds the values of %1.</source>
        <translation>La carte contient les valeurs de %1.</translation>
    </message>
    <message>
        <source>Some records did not come from the board; nothing was written. Check the line, then try again.</source>
        <translation>Certains enregistrements ne sont pas venus de la carte ; rien n&apos;a été écrit. Vérifiez la liaison, puis recommencez.</translation>
    </message>
    <message>
        <source>The board holds the values of %1 already; nothing to write.</source>
        <translation>La carte contient déjà les valeurs de %1 ; rien à écrire.</translation>
    </message>
    <message>
        <source>Dry run: nothing was written.</source>
        <translation>Essai à blanc : rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>(no port found for it)</source>
        <translation>(aucun port détecté)</translation>
    </message>
    <message>
        <source>No serial device is present.</source>
        <translation>Aucun périphérique série n&apos;est présent.</translation>
    </message>
    <message>
        <source>Serial devices present:</source>
        <translation>Périphériques série présents :</translation>
    </message>
    <message>
        <source>(the system console; never used)</source>
        <translation>(la console du système ; jamais utilisée)</translation>
    </message>
    <message>
        <source>(no UART behind it)</source>
        <translation>(aucun UART derrière)</translation>
    </message>
    <message>
        <source>by-id:</source>
        <translation>by-id :</translation>
    </message>
    <message>
        <source>description:</source>
        <translation>description :</translation>
    </message>
    <message>
        <source>manufacturer:</source>
        <translation>fabricant :</translation>
    </message>
    <message>
        <source>USB VID:PID:</source>
        <translation>USB VID:PID :</translation>
    </message>
    <message>
        <source>serial number:</source>
        <translation>n° de série :</translation>
    </message>
    <message>
        <source>The read is incomplete: not every record came whole.</source>
        <translation>La lecture est incomplète : tous les enregistrements ne sont pas venus entiers.</translation>
    </message>
    <message>
        <source>--%1 &quot;%2&quot; is refused: values are whole numbers from 0 to 65535.</source>
        <translation>--%1 « %2 » est refusé : les valeurs sont des nombres entiers de 0 à 65535.</translation>
    </message>
    <message>
        <source>Nothing was opened or written.</source>
        <translation>Rien n&apos;a été ouvert ni écrit.</translation>
    </message>
    <message>
        <source>Try &quot;veloris-cli --help&quot; for more information.</source>
        <translation>Essayez « veloris-cli --help » pour en savoir plus.</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Affiche cette aide et s&apos;arrête.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Affiche la version et s&apos;arrête.</translation>
    </message>
    <message>
        <source>COM1 to COM4 (as in the window) or a device path, /dev/serial/by-id names included. Default: COM1.</source>
        <translation>COM1 à COM4 (comme dans la fenêtre) ou le chemin d&apos;un périphérique, noms /dev/serial/by-id compris. Par défaut : COM1.</translation>
    </message>
    <message>
        <source>port</source>
        <translation>port</translation>
    </message>
    <message>
        <source>Machine-readable output (JSON) on stdout.</source>
        <translation>Sortie lisible par un programme (JSON) sur stdout.</translation>
    </message>
    <message>
        <source>Print the exchange with the board (&quot;&gt;06&lt;06&gt;04...&quot;) on stderr as it happens.</source>
        <translation>Affiche l&apos;échange avec la carte (« &gt;06&lt;06&gt;04... ») sur stderr au fil de l&apos;eau.</translation>
    </message>
    <message>
        <source>Print nothing but errors.</source>
        <translation>N&apos;affiche que les erreurs.</translation>
    </message>
    <message>
        <source>write: the sidereal tracking speed, 0 to 65535.</source>
        <translation>write : la vitesse de suivi sidéral, de 0 à 65535.</translation>
    </message>
    <message>
        <source>write: the slow speed for guiding, 0 to 65535.</source>
        <translation>write : la vitesse lente d&apos;autoguidage et de rappel photographique, de 0 à 65535.</translation>
    </message>
    <message>
        <source>write: the slow speed of the hand paddle, 0 to 65535.</source>
        <translation>write : la vitesse lente de la raquette standard, de 0 à 65535.</translation>
    </message>
    <message>
        <source>write: the delay before the hand paddle goes fast, 0 to 65535.</source>
        <translation>write : la temporisation de passage de PV en GV de la raquette, de 0 à 65535.</translation>
    </message>
    <message>
        <source>write, restore: do not read the values back.</source>
        <translation>write, restore : ne relit pas les valeurs.</translation>
    </message>
    <message>
        <source>backup: replace an existing file.</source>
        <translation>backup : remplace un fichier existant.</translation>
    </message>
    <message>
        <source>restore: show the differences, write nothing.</source>
        <translation>restore : montre les différences, n&apos;écrit rien.</translation>
    </message>
    <message>
        <source>ports, read, write, backup, restore or verify.</source>
        <translation>ports, read, write, backup, restore ou verify.</translation>
    </message>
    <message>
        <source>backup, restore, verify: the file.</source>
        <translation>backup, restore, verify : le fichier.</translation>
    </message>
    <message>
        <source>[FILE]</source>
        <translation>[FICHIER]</translation>
    </message>
    <message>
        <source>No command given.</source>
        <translation>Aucune commande donnée.</translation>
    </message>
    <message>
        <source>Unknown command &quot;%1&quot;.</source>
        <translation>Commande inconnue « %1 ».</translation>
    </message>
    <message>
        <source>&quot;%1&quot; needs one file name.</source>
        <translation>« %1 » demande un nom de fichier.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes no file name.</source>
        <translation>« %1 » ne prend pas de nom de fichier.</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 est donné plus d&apos;une fois.</translation>
    </message>
    <message>
        <source>Values are given with &quot;write&quot; only.</source>
        <translation>Les valeurs ne se donnent qu&apos;avec « write ».</translation>
    </message>
    <message>
        <source>&quot;write&quot; needs at least one of --sidereal, --guiding, --centring, --tempo.</source>
        <translation>« write » demande au moins une des options --sidereal, --guiding, --centring, --tempo.</translation>
    </message>
    <message>
        <source>--no-verify goes with &quot;write&quot; and &quot;restore&quot; only.</source>
        <translation>--no-verify ne va qu&apos;avec « write » et « restore ».</translation>
    </message>
    <message>
        <source>--force goes with &quot;backup&quot; only.</source>
        <translation>--force ne va qu&apos;avec « backup ».</translation>
    </message>
    <message>
        <source>--dry-run goes with &quot;restore&quot; only.</source>
        <translation>--dry-run ne va qu&apos;avec « restore ».</translation>
    </message>
    <message>
        <source>--quiet and --verbose exclude each other.</source>
        <translation>--quiet et --verbose s&apos;excluent.</translation>
    </message>
    <message>
        <source>(held by %1, process %2)</source>
        <translation>(tenu par %1, processus %2)</translation>
    </message>
    <message>
        <source>Cannot open the port %1: no such device.
Check that the cable or the USB-serial adapter is plugged in, or choose another port (&quot;veloris-cli ports&quot; lists them).</source>
        <translation>Impossible d&apos;ouvrir le port %1 : ce périphérique n&apos;existe pas.
Vérifiez que le câble ou l&apos;adaptateur USB-série est branché, ou choisissez un autre port (« veloris-cli ports » les énumère).</translation>
    </message>
    <message>
        <source>Cannot open the port %1: another program is using it%2.
Close that program, then try again.</source>
        <translation>Impossible d&apos;ouvrir le port %1 : il est déjà utilisé par un autre programme%2.
Fermez ce programme, puis recommencez.</translation>
    </message>
    <message>
        <source>Cannot open the port %1: permission denied.
Add your account to the group &quot;dialout&quot; (command: sudo adduser $USER dialout), then log out and in again.</source>
        <translation>Impossible d&apos;ouvrir le port %1 : accès refusé.
Ajoutez votre compte au groupe « dialout » (commande : sudo adduser $USER dialout), puis fermez votre session et rouvrez-la.</translation>
    </message>
    <message>
        <source>Cannot open the port %1: the device refuses the settings 9600,N,8,1.</source>
        <translation>Impossible d&apos;ouvrir le port %1 : le périphérique refuse les réglages 9600,N,8,1.</translation>
    </message>
    <message>
        <source>Cannot open the port %1: this device is not a serial port.</source>
        <translation>Impossible d&apos;ouvrir le port %1 : ce périphérique n&apos;est pas un port série.</translation>
    </message>
    <message>
        <source>Cannot open the port %1: it is the system console, which must not be used to talk to the board.</source>
        <translation>Impossible d&apos;ouvrir le port %1 : c&apos;est la console du système, qui ne doit pas servir à parler à la carte.</translation>
    </message>
    <message>
        <source>Cannot open the port %1.</source>
        <translation>Impossible d&apos;ouvrir le port %1.</translation>
    </message>
    <message>
        <source>The line to the board through %1 was lost during the exchange.
Check the cable, the adapter and the board&apos;s power supply, then try again.</source>
        <translation>La liaison avec la carte par %1 a été perdue pendant l&apos;échange.
Vérifiez le câble, l&apos;adaptateur et l&apos;alimentation de la carte, puis recommencez.</translation>
    </message>
    <message>
        <source>%1: slot %2 of %3</source>
        <translation>%1 : emplacement %2 sur %3</translation>
    </message>
    <message>
        <source>, %1 s waited</source>
        <translation>, %1 s d&apos;attente</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Données</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Sidereal speed</source>
        <translation>Vitesse sidérale</translation>
    </message>
    <message>
        <source>Guiding speed</source>
        <translation>Rattrapage</translation>
    </message>
    <message>
        <source>Centring speed</source>
        <translation>Centrage</translation>
    </message>
    <message>
        <source>Slow-to-fast delay</source>
        <translation>Tempo PV/GV</translation>
    </message>
    <message>
        <source>no answer from the board</source>
        <translation>pas de réponse de la carte</translation>
    </message>
    <message>
        <source>record incomplete</source>
        <translation>enregistrement incomplet</translation>
    </message>
    <message>
        <source>record not framed CC ... DD</source>
        <translation>enregistrement non encadré par CC ... DD</translation>
    </message>
    <message>
        <source>line lost</source>
        <translation>liaison perdue</translation>
    </message>
    <message>
        <source>no reply</source>
        <translation>pas de réponse</translation>
    </message>
    <message>
        <source> (command not echoed: %1)</source>
        <translation> (commande non renvoyée : %1)</translation>
    </message>
    <message>
        <source> (byte %1 of the record echoed as %2)</source>
        <translation> (octet %1 de l&apos;enregistrement renvoyé en %2)</translation>
    </message>
    <message>
        <source>confirmed</source>
        <translation>confirmé</translation>
    </message>
    <message>
        <source>not confirmed</source>
        <translation>non confirmé</translation>
    </message>
    <message>
        <source>not written</source>
        <translation>non écrit</translation>
    </message>
    <message>
        <source>, verified</source>
        <translation>, vérifié</translation>
    </message>
    <message>
        <source>, read back different: %1</source>
        <translation>, relu différent : %1</translation>
    </message>
    <message>
        <source>, not read back (%1)</source>
        <translation>, non relu (%1)</translation>
    </message>
    <message>
        <source>The board takes the new values only after it has been switched off and on again.</source>
        <translation>La carte ne prend en compte les nouvelles valeurs qu&apos;après avoir été éteinte puis rallumée.</translation>
    </message>
    <message>
        <source>Not every value was confirmed and read back the same.</source>
        <translation>Toutes les valeurs n&apos;ont pas été confirmées et relues à l&apos;identique.</translation>
    </message>
    <message>
        <source>Not every value was confirmed by the board.</source>
        <translation>Toutes les valeurs n&apos;ont pas été confirmées par la carte.</translation>
    </message>
    <message>
        <source>ModemManager may be examining the adapter, as it does for some seconds after it is plugged in: wait a little, then try again.
To keep it away from this port, create the file /etc/udev/rules.d/99-veloris.rules holding the line
KERNEL==&quot;%1&quot;, ENV{ID_MM_DEVICE_IGNORE}=&quot;1&quot;
then unplug the adapter and plug it in again.</source>
        <translation>ModemManager examine peut-être l&apos;adaptateur, comme il le fait pendant quelques secondes après chaque branchement : attendez un peu, puis recommencez.
Pour qu&apos;il laisse ce port de côté, créez le fichier /etc/udev/rules.d/99-veloris.rules contenant la ligne
KERNEL==&quot;%1&quot;, ENV{ID_MM_DEVICE_IGNORE}=&quot;1&quot;
puis débranchez et rebranchez l&apos;adaptateur.</translation>
    </message>
    <message>
        <source>brltty (for braille displays) may have taken the adapter: check with &quot;sudo dmesg | grep brltty&quot; and, if you use no braille display, stop it with &quot;sudo systemctl mask --now brltty-udev.service brltty.service&quot; or remove it with &quot;sudo apt remove brltty&quot;.</source>
        <translation>Le programme brltty (afficheurs braille) a peut-être pris l&apos;adaptateur : vérifiez-le avec « sudo dmesg | grep brltty » et, si vous n&apos;utilisez pas d&apos;afficheur braille, arrêtez-le avec « sudo systemctl mask --now brltty-udev.service brltty.service » ou retirez-le avec « sudo apt remove brltty ».</translation>
    </message>
    <message>
        <source>not read: stopped before it</source>
        <translation>non lu : arrêté avant</translation>
    </message>
    <message>
        <source>Stopped on request (a signal) after the block under way; the rest was not done.</source>
        <translation>Arrêté sur demande (un signal) après le bloc en cours ; le reste n&apos;a pas été fait.</translation>
    </message>
    <message>
        <source>Stopped on request before writing: nothing was written.</source>
        <translation>Arrêté sur demande avant l&apos;écriture : rien n&apos;a été écrit.</translation>
    </message>
    <message>
        <source>Stopped on request before the values were read back.</source>
        <translation>Arrêté sur demande avant la relecture des valeurs.</translation>
    </message>
    <message>
        <source>Reads and writes the four drive parameters of a VELORIS telescope control board over its serial line (9600 baud, 8N1).

Commands:
  ports            list COM1 to COM4 and every serial device present
  read             read the four parameters
  write            write the parameters named by --sidereal, --guiding,
                   --centring and --tempo, then read them back
  backup FILE      save the four parameters in a JSON file
  restore FILE     write back the values of a backup file that differ
                   on the board, then read them back
  verify FILE      compare the board with a backup file

Exit codes:
  0  done
  1  the board did not confirm, a read-back differs, a read was
     incomplete, or a signal stopped the run
  2  usage, value or file refused; nothing was opened
  3  the port cannot be opened (absent, busy, permission, console)
  4  the line was lost during the exchange</source>
        <translation>Lit et écrit les quatre paramètres d&apos;entraînement d&apos;une carte de commande de télescope VELORIS par sa liaison série (9600 bauds, 8N1).

Commandes :
  ports            énumère COM1 à COM4 et tous les périphériques série présents
  read             lit les quatre paramètres
  write            écrit les paramètres donnés par --sidereal, --guiding,
                   --centring et --tempo, puis les relit
  backup FICHIER   sauvegarde les quatre paramètres dans un fichier JSON
  restore FICHIER  réécrit les valeurs d&apos;une sauvegarde qui diffèrent sur
                   la carte, puis les relit
  verify FICHIER   compare la carte à une sauvegarde

Codes de sortie :
  0  terminé
  1  la carte n&apos;a pas confirmé, une relecture diffère, une lecture est
     incomplète, ou un signal a arrêté l&apos;exécution
  2  commande, valeur ou fichier refusé ; rien n&apos;a été ouvert
  3  le port ne peut pas être ouvert (absent, occupé, accès refusé, console)
  4  la liaison a été perdue pendant l&apos;échange</translation>
    </message>
</context>
</TS>
