#include "tests/support/expected_labels.h"

#include <string.h>

namespace {

struct LabelRow {
    UINT id;
    const WCHAR* text[kLabelColumnCount];  // neutral, de, fr, it, ja, nl, pt, es
};

const LabelRow kLabels[kLabelCount] = {
    {10001,
     {TEXT("Input Slot"), TEXT("Papierzufuhr"), TEXT("Source papier"), TEXT("Vassoio ingresso"), TEXT("給紙トレイ"),
      TEXT("Invoersleuf"), TEXT("Sistema Alim."), TEXT("Bandeja Entrada")}},
    {10002,
     {TEXT("Resolution"), TEXT("Qualität"), TEXT("Qualité d'impression"), TEXT("Qualité"), TEXT("解像度"),
      TEXT("Afdrukkwaliteit"), TEXT("Modo Gráfico"), TEXT("Modo Gráfico")}},
    {10003,
     {TEXT("Media Type"), TEXT("Druckmedium"), TEXT("Type de papier"), TEXT("Tipo supporto"), TEXT("用紙種類"),
      TEXT("Afdrukmateriaal"), TEXT("Tipo de Papel"), TEXT("Tipo Papel")}},
    {10004,
     {TEXT("Installed Memory"), TEXT("Installierter Speicher"), TEXT("Mémoire installée"), TEXT("Memoria installata"),
      TEXT("メモリ"), TEXT("InstalledMemory"), TEXT("Memória Instalada"), TEXT("Memoria Instalada")}},
    {10005,
     {TEXT("Lower Cassette Unit"), TEXT("Unteres Zusatzpapiermagazin"), TEXT("Casettes optionnelles"),
      TEXT("Unità cassetti inferiore"), TEXT("オプションカセット"), TEXT("Onderste Cassette-eenheid"),
      TEXT("Alimentador Inferior"), TEXT("Bandeja inferior")}},
    {10006,
     {TEXT("Duplex Unit"), TEXT("Duplexeinheit"), TEXT("Unité Recto/Verso"), TEXT("Unità fronte/retro"),
      TEXT("両面印刷ユニット"), TEXT("Duplexeenheid"), TEXT("Unidade Duplex"), TEXT("Unidad Dúplex")}},
    {10007,
     {TEXT("Page Size"), TEXT("PapierFormat"), TEXT("Format papier"), TEXT("Formato pagina"), TEXT("用紙サイズ"),
      TEXT("Papierformaat"), TEXT("Formato de Papel"), TEXT("Tamaño Papel")}},
    {10008,
     {TEXT("Screen"), TEXT("Monitor"), TEXT("EÉran"), TEXT("Schermo"), TEXT("スクリーン"), TEXT("Raster"), TEXT("Ecra"),
      TEXT("Tramado")}},
    {10009,
     {TEXT("Pure Black Mode"), TEXT("Modus Reines Schwarz"), TEXT("Mode Noir pur"), TEXT("Modo solo nero"),
      TEXT("純ブラック"), TEXT("Puur zwart"), TEXT("Modo Preto Puro"), TEXT("Modo Negro Puro")}},
    {10010,
     {TEXT("Lumaq"), TEXT("Lumaq"), TEXT("Lumaq"), TEXT("Lumaq"), TEXT("LMQ"), TEXT("Lumaq"), TEXT("Lumaq"),
      TEXT("Lumaq")}},
    {10011,
     {TEXT("Toner Save Mode"), TEXT("Tonersparmodus"), TEXT("Economie toner"), TEXT("Modo risparmio toner"),
      TEXT("トナーセーブ"), TEXT("Tonerbesparing"), TEXT("Modo Económico"), TEXT("Ahorro Tóner")}},
    {10012,
     {TEXT("Image Protect"), TEXT("Bildschutz"), TEXT("Protection image"), TEXT("Image Protect"), TEXT("Image Protect"),
      TEXT("Afbeeldingen beschermen"), TEXT("Proteger Imagem"), TEXT("Protección de página")}},
    {10013,
     {TEXT("Color Mode"), TEXT("Farbmodus"), TEXT("Coloration"), TEXT("Modo colore"), TEXT("カラーモード"),
      TEXT("Kleuring"), TEXT("Modo de Cores"), TEXT("Color")}},
    {10014,
     {TEXT("Press Simulation"), TEXT("Simulation Druckmaschine"), TEXT("Simulation presse"), TEXT("Simulazione stampa"),
      TEXT("CMYKシミュレーション"), TEXT("Perssimulatie"), TEXT("Simulacao de Imprensa"),
      TEXT("Simulacion de imprenta")}},
    {10015,
     {TEXT("RGB Source"), TEXT("RGB Source"), TEXT("RGB Source"), TEXT("RGB Source"), TEXT("RGBソース"),
      TEXT("RGB Source"), TEXT("RGB Source"), TEXT("RGB Source")}},
    {10016,
     {TEXT("Rendering Intent"), TEXT("Rendering Intent"), TEXT("Rendering Intent"), TEXT("Rendering Intent"),
      TEXT("RGBレンダリングインテント"), TEXT("Rendering Intent"), TEXT("Rendering Intent"), TEXT("Rendering Intent")}},
    {10017,
     {TEXT("Simulation Method"), TEXT("Simulation Druckmaschine"), TEXT("Simulation presse"),
      TEXT("Simulazione stampa"), TEXT("CMYK色補正方法"), TEXT("Perssimulatie"), TEXT("Simulação de Imprensa"),
      TEXT("Simulación de imprenta")}},
    {10018,
     {TEXT("Separations"), TEXT("Farbseparation"), TEXT("Séparations"), TEXT("Separazioni"),
      TEXT("カラーセパレーション"), TEXT("Scheidingen"), TEXT("Separações"), TEXT("Separaciones")}},
    {10019,
     {TEXT("Output Bin"), TEXT("Papierausgabefach"), TEXT("Bac de sortie"), TEXT("Vassoio uscita"), TEXT("排紙"),
      TEXT("Uitvoerbak"), TEXT("Receptor"), TEXT("Bandeja Salida")}},
    {10020,
     {TEXT("Density"), TEXT("Dichte"), TEXT("Densité"), TEXT("Densità"), TEXT("濃度"), TEXT("Dichtheid"),
      TEXT("Densidade"), TEXT("Densidad")}},
    {10021,
     {TEXT("Rotate By 180\uFF70"), TEXT("Um90\u00B0 drehen"), TEXT("Pivoter de 180\u00B0"),
      TEXT("Ruotare di 180\u00B0"), TEXT("180度回転"), TEXT("180\u00B0 graden draaien"), TEXT("Rodar em 180\u00B0"),
      TEXT("Girar en 180\u00B0")}},
    {10022,
     {TEXT("Output Direction"), TEXT("Ausgabeausrichtung"), TEXT("Sens d'impression"), TEXT("Direzione uscita"),
      TEXT("排紙方向"), TEXT("Uitvoerrichting"), TEXT("Direcção de Saída"), TEXT("Dirección de salida")}},
    {10023,
     {TEXT("Start Page"), TEXT("Startseite"), TEXT("Première page"), TEXT("Pagina Iniziale"), TEXT("Start Page"),
      TEXT("Startpagina"), TEXT("Iniciar Página"), TEXT("Primera Página")}},
    {10024,
     {TEXT("Stacker Unit"), TEXT("Stapler"), TEXT("Multibac - En continu"), TEXT("Impilatore"), TEXT("スタッカ"),
      TEXT("Stapelaar"), TEXT("Empilhador"), TEXT("Apiladora")}},
    {10025,
     {TEXT("Duplex"), TEXT("Duplex"), TEXT("Duplex (Recto/Verso)"), TEXT("Duplex"), TEXT("両面印刷"), TEXT("Duplex"),
      TEXT("Duplex"), TEXT("Dúplex")}},
    {10026,
     {TEXT("Auto Mono Mode"), TEXT("Automatischer Monochrom-Modus"), TEXT("Mode Mono automatique"),
      TEXT("Modo auto mono"), TEXT("カラー モノ自動判別"), TEXT("Automatisch mono"), TEXT("Modo Mono Auto"),
      TEXT("Modo Monocromo automático")}},
    {10027,
     {TEXT("Output"), TEXT("Output"), TEXT("Output"), TEXT("Output"), TEXT("出力プロファイル"), TEXT("Output"),
      TEXT("Output"), TEXT("Output")}},
    {10028,
     {TEXT("CompactFlash"), TEXT("CompactFlash"), TEXT("CompactFlash"), TEXT("CompactFlash"),
      TEXT("コンパクトフラッシュ"), TEXT("CompactFlash"), TEXT("CompactFlash"), TEXT("CompactFlash")}},
};

struct LocaleLanguage {
    const char* prefix;  // language_TERRITORY of an LC_ALL value
    LabelColumn column;
};

const LocaleLanguage kCarriedLocales[] = {
    {"de_DE", kGermanColumn}, {"fr_FR", kFrenchColumn},     {"it_IT", kItalianColumn}, {"ja_JP", kJapaneseColumn},
    {"nl_NL", kDutchColumn},  {"pt_PT", kPortugueseColumn}, {"es_ES", kSpanishColumn},
};

}  // namespace

const ExpectedLabelRow kExpectedLabelRows[kExpectedLabelRowCount] = {
    {"*InputSlot", 4, 0x01, 10001},
    {"*Resolution", 5, 0x02, 10002},
    {"*MediaType", 12, 0x03, 10003},
    {"*PageSize", 9, 0x04, 10007},
    {"*Duplex", 7, 0x05, 10025},
    {"*InstalledMemory", 0, 0x20, 10004},
    {"*KXTrayUnit", 0, 0x21, 10005},
    {"*KXDuplexOption", 0, 0x22, 10006},
    {"*KXStackerOption", 0, 0x23, 10024},
    {"*KXCompactFlash", 0, 0x24, 10028},
    {"*KXScreens", 0, 0x40, 10008},
    {"*KXPureBlack", 0, 0x41, 10009},
    {"*KXLumaq", 0, 0x42, 10010},
    {"*KXToner", 0, 0x43, 10011},
    {"*KXImageProtect", 0, 0x44, 10012},
    {"*KXRendering", 0, 0x45, 10013},
    {"*KXPressSimulation", 0, 0x46, 10014},
    {"*KXCMYKMethod", 0, 0x47, 10017},
    {"*KXRGBSource", 0, 0x48, 10015},
    {"*KXRGBIntent", 0, 0x49, 10016},
    {"*KXSeparations", 0, 0x4A, 10018},
    {"*OutputBin", 0, 0x4B, 10019},
    {"*KXDensity", 0, 0x4C, 10020},
    {"*KXRotate180Degrees", 0, 0x4D, 10021},
    {"*KXRotate90Degrees", 0, 0x4E, 10022},
    {"*KXStartSide", 0, 0x4F, 10023},
    {"*KXAutoMonoMode", 0, 0x50, 10026},
    {"*KXOUTPUTID", 0, 0x51, 10027},
};

const LANGID kColumnLanguage[kLabelColumnCount] = {1024, 1031, 1036, 1040, 1041, 1043, 2070, 3082};

const WCHAR* ExpectedLabel(UINT id, LabelColumn column) {
    for (const LabelRow& row : kLabels) {
        if (row.id == id) {
            return row.text[column];
        }
    }
    return nullptr;
}

LabelColumn ColumnForLocale(const char* locale) {
    for (const LocaleLanguage& carried : kCarriedLocales) {
        if (strncmp(locale, carried.prefix, strlen(carried.prefix)) == 0) {
            return carried.column;
        }
    }
    return kNeutralColumn;
}
