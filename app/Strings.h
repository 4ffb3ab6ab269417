// Every text the application shows, each once: captions, hints, questions and log lines, in
// Serbian (Latin script), exactly as the users know them.
#pragma once

#include <string_view>

namespace kivo::app::text {

// Program and window.
inline constexpr std::string_view kAppTitle = "Kivo Ardel";
inline constexpr std::string_view kCloseHint = "Zatvori";
inline constexpr std::string_view kMaximiseHint = "Uvećaj / vrati";
inline constexpr std::string_view kMinimiseHint = "Umanji";

// Settings window.
inline constexpr std::string_view kSettingsTitle = "Kivo Ardel - Napredna podešavanja";
inline constexpr std::string_view kVolLabelCaption = "Naziv CD/DVD :";
inline constexpr std::string_view kJolietCaption = "Joliet File System";
inline constexpr std::string_view kJolietHint = "Long File Name";
inline constexpr std::string_view kCloseDiscCaption = "Zatvori sistem (Finalize)";
inline constexpr std::string_view kImportSessionCaption = "Uvoz prethodnog zapisa";
inline constexpr std::string_view kSessionHint = "Session Number to Import; for Last Session enter -1";
inline constexpr std::string_view kUnderrunCaption = "Zaštita";
inline constexpr std::string_view kTestWriteCaption = "Test upis";
inline constexpr std::string_view kEjectAfterCaption = "Izbaci disk posle upisa/brisanja";
inline constexpr std::string_view kOpcCaption = "Perform OPC";
inline constexpr std::string_view kQuickSaveCaption = "Brzo čuvanje .ISO";
inline constexpr std::string_view kBootableCaption = "But disk";
inline constexpr std::string_view kShowFilesCaption = "Pokaži datoteke pre upisa";
inline constexpr std::string_view kArchiveOnlyCaption = "Samo arhivske datoteke i isprazni memoriju";
inline constexpr std::string_view kCacheSizeCaption = "Veličina keša :";
inline constexpr std::string_view kCacheSizeFormat = "%2d MB";
inline constexpr std::string_view kApplyCaption = "&Da";
inline constexpr std::string_view kCancelCaption = "&Odustajem";
inline constexpr std::string_view kCloseSessionCaption = "&Zatvori";
inline constexpr std::string_view kSettingsButtonHint = "Is Unit Ready ?";
inline constexpr std::string_view kBootImageTitle = "Izbor slike za but disk";
inline constexpr std::string_view kBootImageFilter = "All Image Files (*.IMG *.IMA *.BIN);;All Files (*)";
inline constexpr std::string_view kBootImageSuffix = "Img";
inline constexpr std::string_view kSessionRefused =
    "Broj sesije za uvoz mora biti -1 (poslednja sesija) ili ceo broj od 0 do 99. Podešavanja nisu promenjena.";
inline constexpr std::string_view kSessionZero = "Sesije (prethodni zapisi) za uvoz; Nula označava da se ništa ne uvozi";
inline constexpr std::string_view kSettingsNotSaved = "Podešavanja važe do izlaska iz programa, ali nisu sačuvana: ";
inline constexpr std::string_view kCloseSessionTitle = "Da li želite da zatvorite sesiju diska?";
inline constexpr std::string_view kCloseSessionText = "Zatvorena sesija se više ne može dopuniti.";
inline constexpr std::string_view kSessionClosed = "Sesija diska je zatvorena";
inline constexpr std::string_view kSessionNotClosed = "Zatvaranje sesije nije uspelo: ";

// Verify.
inline constexpr std::string_view kVerifyCaption = "Proveri disk posle upisa";
inline constexpr std::string_view kVerifyHint = "Posle upisa pročitaj disk i uporedi svaku datoteku sa upisanom";
inline constexpr std::string_view kVerifyStarted = "Proveravam disk ...";
inline constexpr std::string_view kVerifyPassed = "Provera diska: svih %d datoteka je ispravno";
inline constexpr std::string_view kVerifyFailed = "Provera diska NIJE uspela: ispravno %d, neispravno %d datoteka";
inline constexpr std::string_view kVerifyDiffers = "Razlikuje se na disku: ";
inline constexpr std::string_view kVerifyUnreadable = "Ne može se pročitati sa diska: ";
inline constexpr std::string_view kVerifyChanged = "Promenjena tokom upisa: ";
inline constexpr std::string_view kVerifyDirectoryUnreadable =
    "Ne može se pročitati sa diska: oblast direktorijuma, sektori %u do %u";
inline constexpr std::string_view kVerifyDirectoryDiffers = "Oblast direktorijuma na disku se razlikuje od upisane";
inline constexpr std::string_view kVerifyStopped = "Provera diska je prekinuta";
inline constexpr std::string_view kVerifyNothing = "Upis nije ostavio podatke za proveru diska";

// Header pictures.
inline constexpr std::string_view kKivoTirelHint = "Kivo Tirel (ukoliko je instaliran)";
inline constexpr std::string_view kCDHeaderHint = "Disk informacija";
inline constexpr std::string_view kBurnHint = "Počni upis (prženje - na tihoj vatri)";
inline constexpr std::string_view kAbortHint = "Prekid upisa pre završetka";
inline constexpr std::string_view kExitHint = "Izlaz iz programa";

// Drive rows.
inline constexpr std::string_view kDriveLabel = " CD/DVD Pisač :";
inline constexpr std::string_view kDriveLabelNoLetter = "  Pisač :";
inline constexpr std::string_view kDriveLabelPrefix = "Pisač ";
inline constexpr std::string_view kDrivesHint = "Izbor CD/DVD uređaja";
inline constexpr std::string_view kCapsCaption = "...";
inline constexpr std::string_view kSpeedMax = "Max";
inline constexpr std::string_view kSpeedHint = "Izbor brzine usnimavanja";
inline constexpr std::string_view kDiscCaption = "Disk informacija";
inline constexpr std::string_view kDiscHint =
    "Informacija o disku i eventualnim\nprethodnim upisima (sesijama)\n(Otpakivanje datoteka iz svake sesije)";
inline constexpr std::string_view kQEraseCaption = "Brzo brisanje";
inline constexpr std::string_view kQEraseHint = "Brzo brisanje diska\n(samo za piši/briši diskove)";
inline constexpr std::string_view kCEraseCaption = "Puno brisanje";
inline constexpr std::string_view kCEraseHint = "Puno brisanje (uobičajeno nije potrebno)\n(samo za piši/briši diskove)";
inline constexpr std::string_view kLoadCaption = "Učitaj disk";
inline constexpr std::string_view kLoadHint = "Učitavanje CD/DVD";
inline constexpr std::string_view kEjectCaption = "Izbaci disk";
inline constexpr std::string_view kEjectHint = "Otvaranje CD/DVD uređaja";
inline constexpr std::string_view kReadyCaption = "Disk spreman";
inline constexpr std::string_view kReadyHint = "Da li je CD/DVD uređaj spreman ?";

// Compilation side.
inline constexpr std::string_view kSaveIsoCaption = "Sačuvaj ISO";
inline constexpr std::string_view kSaveIsoHint = "Izgradnja i čuvanje .ISO slike";
inline constexpr std::string_view kBurnIsoCaption = "Učitaj disk";
inline constexpr std::string_view kBurnIsoHint = "Počni upis";
inline constexpr std::string_view kPathInfoCaption = "Sačuvaj putanju";
inline constexpr std::string_view kPathInfoHint = "Prenesi apsolutnu putanju na disk";
inline constexpr std::string_view kClearCaption = "Očisti";
inline constexpr std::string_view kClearHint = "Očisti - Ukloni izabrano za snimanje";
inline constexpr std::string_view kListHint = "Lista datoteka/direktorijuma za upis na CD/DVD";
inline constexpr std::string_view kColumnTick = "R";
inline constexpr std::string_view kColumnName = "Naziv datoteke / direktorijuma";
inline constexpr std::string_view kColumnSize = "Veličina";
inline constexpr std::string_view kRemoveCaption = "Ukloni";
inline constexpr std::string_view kRemoveHint = "Ukloni datoteku/direktorijum";

// Browser.
inline constexpr std::string_view kNetworkCaption = "Mreža";
inline constexpr std::string_view kNetworkHint = "Mrežne datoteke";
inline constexpr std::string_view kNetworkTitle = "Mrežna putanja";
inline constexpr std::string_view kNetworkPrompt = "Unesite kompletnu mrežnu putanju (\\\\Machine1\\C)";
inline constexpr std::string_view kDirHint = "Kliknite na direktorijum i \nprenesite ga u listu za snimanje";
inline constexpr std::string_view kFilesHint =
    "Kliknite na datoteku ili selektujte\ngrupu datoteka i prenesite ih\nprevlačenjem u listu za snimanje";
inline constexpr std::string_view kDriveRoot = "Koren sistema (/)";
inline constexpr std::string_view kDriveHome = "Lična fascikla";

// Log.
inline constexpr std::string_view kClearLogCaption = "Očisti informacije o snimanju";

// Information windows.
inline constexpr std::string_view kCapsTitle = "Kivo Ardel - CD/DVD mogućnosti";
inline constexpr std::string_view kCloseCaption = "&Zatvori";
inline constexpr std::string_view kReadCdR = "Čita CDR";
inline constexpr std::string_view kWriteCdR = "Piše CDR";
inline constexpr std::string_view kReadCdRw = "Čita CDRW";
inline constexpr std::string_view kWriteCdRw = "Piše CDRW";
inline constexpr std::string_view kReadDvdR = "Čita DVD-R";
inline constexpr std::string_view kWriteDvdR = "Piše DVD-R";
inline constexpr std::string_view kReadDvdRw = "Čita DVD-RW";
inline constexpr std::string_view kWriteDvdRw = "Piše DVD-RW";
inline constexpr std::string_view kReadDvdRam = "Read DVD-RAM";
inline constexpr std::string_view kWriteDvdRam = "Piše DVD-RAM";
inline constexpr std::string_view kReadDvdPlusR = "Čita DVD+R";
inline constexpr std::string_view kWriteDvdPlusR = "Piše DVD+R";
inline constexpr std::string_view kReadDvdPlusRw = "Čita DVD+RW";
inline constexpr std::string_view kWriteDvdPlusRw = "Piše DVD+RW";
inline constexpr std::string_view kReadDvd = "Čita DVD";
inline constexpr std::string_view kMaxWriteSpeed = "Maks. brzina snimanja : ";
inline constexpr std::string_view kMaxReadSpeed = "Maks. brzina čitanja  : ";
inline constexpr std::string_view kSpeedFormat = "0 KB/s";
inline constexpr std::string_view kDiscTitle = "Kivo Ardel - Disk informacija";
inline constexpr std::string_view kMediumLabel = "Medijum  :";
inline constexpr std::string_view kDiscSizeLabel = "Veličina diska  :";
inline constexpr std::string_view kUsedSpaceLabel = "Iskoriščeni prostor  :";
inline constexpr std::string_view kFreeSpaceLabel = "Slobodan prostor  :";
inline constexpr std::string_view kSessionHeader = " Broj                   Start                     Veličina";
inline constexpr std::string_view kShowDiscFilesCaption = "Pokaži datoteke";
inline constexpr std::string_view kDiscUnreadable = "     Greška prilikom učitavanja prethodnog upisa (sesije)";
inline constexpr std::string_view kStatusUnknown = "Disc Status unknown";
inline constexpr std::string_view kStatusClosed = "Disc Closed/Finalized";
inline constexpr std::string_view kStatusOpen = "Disc is Open";
inline constexpr std::string_view kSessionsSuffix = ",  Sesije : ";
inline constexpr std::string_view kNoDate = "nepoznat datum";
inline constexpr std::string_view kFilesFew = "datoteke";
inline constexpr std::string_view kFilesMany = "datoteka";

// Disc browser and layout editor.
inline constexpr std::string_view kNoSessionChosen = "Izaberite sesiju (prethodne upise) sa liste";
inline constexpr std::string_view kTreeTitle =
    "Kivo Ardel - Preglednik datoteka i direktorijuma (dupli klik na naziv datoteke za otvaranje)";
inline constexpr std::string_view kTreeGridHint = "Upotrebite dupli klik na naziv datoteke za otpakivanje";
inline constexpr std::string_view kRootNode = "CDROOT";
inline constexpr std::string_view kGridName = "Naziv datoteke";
inline constexpr std::string_view kGridDate = "    Datum i vreme ";
inline constexpr std::string_view kDirectoryRow = " < DIR > ";
inline constexpr std::string_view kDirectoryNotOpened = "Direktorijum se ne otvara, %s je direktorijum";
inline constexpr std::string_view kExtractTitle = "Otpakivanje datoteke";
inline constexpr std::string_view kExtractPrompt = "Unesite naziv datoteke i putanju";
inline constexpr std::string_view kExtracting = "Otvaram ";
inline constexpr std::string_view kLayoutTitle = "Kivo Ardel - Ukloni datoteke / direktorijume";
inline constexpr std::string_view kLayoutGridHint = "Dupli klik za otvaranje (otpakivanje) datoteke";
inline constexpr std::string_view kDeleteCaption = "Delete";
inline constexpr std::string_view kRefreshCaption = "Refresh";
inline constexpr std::string_view kDirectoryNotDeleted =
    "Nije dozvoljeno da se briše direktorijum, %s je direktorijum, upotrebite drvo sa leve strane za brisanje direktorijuma";
inline constexpr std::string_view kExtractFolderTitle = "Izbor direktorijuma za otpakivanje";
inline constexpr std::string_view kExtractFolderLabel = "Direktorijum:";
inline constexpr std::string_view kSubfoldersTitle = "Da li želite da otpakujete i poddirektorijume?";
inline constexpr std::string_view kSubfoldersText =
    "Direktorijum %s ima poddirektorijume. \"Da\" otpakuje sve ispod njega, \"Ne\" samo njegove datoteke.";
inline constexpr std::string_view kReplaceExtractedText = "Datoteka %s već postoji; otpakovana datoteka će je zameniti.";
inline constexpr std::string_view kUnsafeName = "Odbijam otpakivanje; naziv sa diska bi izašao iz direktorijuma: \"%s\"";
inline constexpr std::string_view kFolderNotMade = "Direktorijum ne može da se napravi: %s";
inline constexpr std::string_view kExtractingAll = "Otpakivanje datoteka";
inline constexpr std::string_view kExtractCount = "Otpakovano datoteka: %d, neuspešno: %d, zadržano postojećih: %d";
inline constexpr std::string_view kExtractStopped = "Otpakivanje prekinuto. ";

// Status bar.
inline constexpr std::string_view kProgressLabel = "CD/DVD Progres";
inline constexpr std::string_view kSizeLabel = "Veličina";
inline constexpr std::string_view kAbortPanel = "Prekini";
inline constexpr std::string_view kBufferLabel = "Buffer:";
inline constexpr std::string_view kLinkText = "Uputstvo za upotrebu";

// Virtual recorder menu.
inline constexpr std::string_view kVirtualMenu = "Virtualni snimač";
inline constexpr std::string_view kVirtualInsert = "Ubaci prazan disk";
inline constexpr std::string_view kVirtualEject = "Izvadi disk";
inline constexpr std::string_view kVirtualExport = "Izvezi disk u datoteku slike...";
inline constexpr std::string_view kVirtualExportTitle = "Izvoz diska u datoteku slike";
inline constexpr std::string_view kVirtualFailed = "Virtualni snimač: ";
inline constexpr std::string_view kVirtualExported = "Disk je izvezen u %s (%d sektora)";

// Message boxes.
inline constexpr std::string_view kYes = "Da";
inline constexpr std::string_view kNo = "Ne";
inline constexpr std::string_view kOk = "U redu";
inline constexpr std::string_view kNoTransportPrefix = "Greška kod inicijalizacije ASPI. Molimo vas da posetite, ";
inline constexpr std::string_view kNoTransportSuffix = " za više informacija";
inline constexpr std::string_view kConfirmBurnText = "Počinjem upis %s MB";
inline constexpr std::string_view kConfirmBurnTitle = "Da li želite da se CD/DVD snimi?";
inline constexpr std::string_view kEmptyList = "Barem jedna datoteka/jedan direktorijum mora da se selektuje (izabere)";
inline constexpr std::string_view kCloseWhileRecordingTitle = "Da li želite da prekinete upis i izađete?";
inline constexpr std::string_view kCloseWhileRecordingText = "Upis je u toku. Prekid ostavlja nedovršen disk.";
inline constexpr std::string_view kCloseWhileErasing = "Brisanje diska je u toku i ne može se prekinuti. Sačekajte kraj brisanja.";
inline constexpr std::string_view kDoesNotFitPrefix = "Kompilacija ne staje na disk: potrebno je ";
inline constexpr std::string_view kImageDoesNotFitPrefix = "Slika ne staje na disk: potrebno je ";
inline constexpr std::string_view kDoesNotFitMiddle = " MB, a na disku je slobodno ";
inline constexpr std::string_view kDoesNotFitSuffix = " MB.";

// Log lines.
inline constexpr std::string_view kStartLine = "*** ";
inline constexpr std::string_view kBlankLine = " ";
inline constexpr std::string_view kAddingDone = "Dodavanje datoteka/direktorijuma na CD/DVD je završeno.";
inline constexpr std::string_view kNothingToRecord = "Nema ni jedne datoteke ili direktorijuma za upis, PREKIDAM OPERACIJU ...";
inline constexpr std::string_view kStartingOn = "Počinjem sa snimanjem na: ";
inline constexpr std::string_view kFinishedWithErrors = "Upis je završen sa greškama";
inline constexpr std::string_view kErrorPrefix = ">>> ";
inline constexpr std::string_view kSucceeded = "Upis uspešno izvršen";
inline constexpr std::string_view kFinalizing = "Završavam upis";
inline constexpr std::string_view kSkipInUse = "Preskačem; Datoteka je u upotrebi (aktivna je) ";
inline constexpr std::string_view kSkipLongName = "Preskačem; Veličina naziva datoteke je veća od 107 karaktera";
inline constexpr std::string_view kSkipDoc = "Preskačem datoteku tipa .doc: ";
inline constexpr std::string_view kSkipMissingRow = "Preskačem; Ne postoji: ";
inline constexpr std::string_view kLeftOutCount = "Izostavljeno iz upisa: %d";
inline constexpr std::string_view kImportFailed = "Uvoz prethodne sesije nije uspeo, PREKIDAM OPERACIJU ...";
inline constexpr std::string_view kDoesNotFitLog = "Kompilacija ne staje na disk, PREKIDAM OPERACIJU ...";

// Image and drive commands.
inline constexpr std::string_view kSaveIsoTitle = "Napravi ISO";
inline constexpr std::string_view kSaveIsoPrompt = "Unesite ISO naziv datoteke za kreiranje";
inline constexpr std::string_view kDialogLookIn = "Traži u:";
inline constexpr std::string_view kDialogFileName = "Naziv datoteke:";
inline constexpr std::string_view kDialogFileType = "Vrsta datoteka:";
inline constexpr std::string_view kDialogSave = "&Sačuvaj";
inline constexpr std::string_view kDialogOpen = "&Otvori";
inline constexpr std::string_view kDialogCancel = "Odustani";
inline constexpr std::string_view kImageFilter = ".ISO Files (*.iso *.ISO);;All File (*.*) (*)";
inline constexpr std::string_view kReplaceFileTitle = "Da li želite da zamenite postojeću datoteku?";
inline constexpr std::string_view kReplaceImageText = "Datoteka %s već postoji; sačuvana slika će je zameniti.";
inline constexpr std::string_view kImageInCompilation =
    "Slika ne može da se sačuva u %s: taj direktorijum je deo kompilacije i slika bi postala deo same sebe.";
inline constexpr std::string_view kImageIsSource = "Slika ne može da zameni datoteku iz kompilacije: %s";
inline constexpr std::string_view kSaveAddingDone = "Dodavanje datoteka/direktorijuma u .ISO je završeno.";
inline constexpr std::string_view kSaveStarting = "Počinjem da kreiram .ISO datoteku";
inline constexpr std::string_view kBurnImageStarting = "Počinjem sa kreiranje .ISO slike na ";
inline constexpr std::string_view kBurnImageTitle = "Da li želite da se slika snimi na disk?";
inline constexpr std::string_view kBurnImageText = "Slika %s (%s MB) biće upisana na %s od prvog sektora diska.";
inline constexpr std::string_view kEmptyImage = "Datoteka slike je prazna: %s";
inline constexpr std::string_view kNotRewritableQuick = "Disk nije Piši/Briši, te je tako ova operacija nemoguća";
inline constexpr std::string_view kNotErasable = "Disk nije predviđen za brisanje";
inline constexpr std::string_view kQEraseText = "Svi postojeći podaci na CD/DVD će biti zauvek izgubljeni!";
inline constexpr std::string_view kQEraseTitle = "Da li želite da se disk brzo obriše?";
inline constexpr std::string_view kCEraseText = "Sve datoteke sa diska će biti zauvek izgubljene";
inline constexpr std::string_view kCEraseTitle = "Da li želite da se brisanje završi? (may take 10-70 mins)";
inline constexpr std::string_view kEraseFailed = "Operacija brisanja je završeno sa greškama";
inline constexpr std::string_view kEraseSucceeded = "Operacija brisanja je završen uspešno";
inline constexpr std::string_view kEraseNotStarted = "Brisanje nije započeto: ";
inline constexpr std::string_view kLoaded = "Učitavanje CD/DVD završeno.";
inline constexpr std::string_view kNotLoaded = "Učitavanje CD/DVD nije uspelo: ";
inline constexpr std::string_view kEjected = "CD/DVD USPEŠNO IZBAČEN.";
inline constexpr std::string_view kNotEjected = "CD/DVD NIJE IZBAČEN - GREŠKA.";
inline constexpr std::string_view kReady = "CD/DVD je spreman za upisivanje";
inline constexpr std::string_view kNotReady = "CD/DVD nije spreman za upisivanje ";

}  // namespace kivo::app::text
