// The country dialling codes offered by the country list, and the orders and lookups over them.
#include "phonebook/CountryDialingCodes.h"

#include "phonebook/TextHelpers.h"

namespace quillet::phonebook {

namespace {

constexpr std::array<CountryDialingCode, kCountryDialingCodeCount> kCountries{{
    {"Albania", "+355"},
    {"Algeria", "+213"},
    {"Andorra", "+376"},
    {"Angola", "+244"},
    {"Anguilla", "+1264"},
    {"Antarctica", "+672"},
    {"Antigua & Barbuda", "+1268"},
    {"Argentina", "+54"},
    {"Armenia", "+374"},
    {"Aruba", "+2978"},
    {"Ascension Island", "+247"},
    {"Australia", "+61"},
    {"Austria", "+43"},
    {"Azerbaijan", "+994"},
    {"Bahamas", "+1242"},
    {"Bahrain", "+973"},
    {"Bangladesh", "+880"},
    {"Barbados", "+1246"},
    {"Belarus", "+375"},
    {"Belgium", "+32"},
    {"Belize", "+501"},
    {"Benin", "+229"},
    {"Bermuda", "+1441"},
    {"Bhutan", "+975"},
    {"Bolivia", "+591"},
    {"Bosnia Herzegovina", "+387"},
    {"Botswana", "+267"},
    {"Brazil", "+55"},
    {"Brunei", "+673"},
    {"Bulgaria", "+359"},
    {"Burkina Faso", "+226"},
    {"Burundi", "+257"},
    {"Cambodia", "+855"},
    {"Cameroon", "+237"},
    {"Canada", "+1"},
    {"Cape Verde", "+238"},
    {"Cayman Island", "+1345"},
    {"Central African Republic", "+236"},
    {"Chad", "+235"},
    {"Chile", "+56"},
    {"China", "+86"},
    {"Colombia", "+57"},
    {"Comoro Island", "+269"},
    {"Congo", "+242"},
    {"Cook Islands", "+682"},
    {"Costa Rica", "+506"},
    {"Croatia", "+385"},
    {"Cuba", "+53"},
    {"Cyprus", "+357"},
    {"Cyprus (Turkish Occupied Area)", "+90392"},
    {"Czech Republic", "+420"},
    {"Denmark", "+45"},
    {"Diego Garcia", "+2469"},
    {"Djibouti", "+253"},
    {"Dominica Island", "+1809"},
    {"Dominican Republic", "+1809"},
    {"Ecuador", "+593"},
    {"Egypt", "+20"},
    {"El Salvador", "+503"},
    {"Equatorial Guinea", "+240"},
    {"Eritrea", "+291"},
    {"Estonia", "+372"},
    {"Ethiopia", "+251"},
    {"Falkland Islands", "+500"},
    {"Faroe Island", "+298"},
    {"Fiji", "+679"},
    {"Finland", "+358"},
    {"Former Yug. Rep. of Macedonia", "+389"},
    {"France", "+33"},
    {"French Guiana", "+594"},
    {"French Polynesia", "+689"},
    {"Gabon", "+241"},
    {"Georgia", "+995"},
    {"Germany", "+49"},
    {"Ghana", "+233"},
    {"Gibraltar", "+350"},
    {"Greece", "+30"},
    {"Greenland", "+299"},
    {"Grenada", "+1809"},
    {"Guadeloupe", "+590"},
    {"Guam", "+671"},
    {"Guatemala", "+502"},
    {"Guinea Bissau", "+245"},
    {"Guinea Republic", "+224"},
    {"Guyana", "+592"},
    {"Haiti", "+509"},
    {"Honduras", "+504"},
    {"Hong Kong", "+852"},
    {"Hungary", "+36"},
    {"Iceland", "+354"},
    {"India", "+91"},
    {"Indonesia", "+62"},
    {"Iran", "+98"},
    {"Iraq", "+964"},
    {"Ireland", "+353"},
    {"Ireland North", "+44"},
    {"Israel", "+972"},
    {"Italy", "+39"},
    {"Ivory Coast", "+225"},
    {"Jamaica", "+1876"},
    {"Japan", "+81"},
    {"Jordan", "+962"},
    {"Kazakhstan", "+7"},
    {"Kenya", "+254"},
    {"Kirbati", "+686"},
    {"Korea (North)", "+850"},
    {"Korea (South)", "+82"},
    {"Kuwait", "+965"},
    {"Kyrgyzstan", "+996"},
    {"Laos", "+856"},
    {"Latvia", "+371"},
    {"Lebanon", "+961"},
    {"Lesotho", "+266"},
    {"Liberia", "+231"},
    {"Libya", "+218"},
    {"Liechtenstein", "+4175"},
    {"Lithuania", "+370"},
    {"Luxembourg", "+352"},
    {"Macau", "+853"},
    {"Madagascar", "+261"},
    {"Maiawi", "+265"},
    {"Malaysia", "+60"},
    {"Maldives Republic", "+960"},
    {"Mali", "+223"},
    {"Malta", "+356"},
    {"Mariana Island", "+670"},
    {"Marshall Island", "+692"},
    {"Martinique", "+596"},
    {"Mauritania", "+222"},
    {"Mauritius", "+230"},
    {"Mayotte", "+269"},
    {"Mexico", "+52"},
    {"Micronesia", "+691"},
    {"Moldova", "+373"},
    {"Monaco", "+337"},
    {"Mongolia", "+976"},
    {"Montserrat", "+1664"},
    {"Morocco", "+212"},
    {"Mozambique", "+258"},
    {"Myanmar", "+95"},
    {"Namibia", "+264"},
    {"Nauru", "+674"},
    {"Nepal", "+977"},
    {"Netherlands", "+31"},
    {"Netherlands Antilles", "+599"},
    {"New Caledonia", "+687"},
    {"New Zealand", "+64"},
    {"Nicaragua", "+505"},
    {"Niger", "+227"},
    {"Nigeria", "+234"},
    {"Niue Island", "+683"},
    {"Norfolk Island", "+6723"},
    {"Norway", "+47"},
    {"Oman", "+968"},
    {"Pakistan", "+92"},
    {"Palau", "+680"},
    {"Panama", "+507"},
    {"Papua New Guinea", "+675"},
    {"Paraguay", "+595"},
    {"Peru", "+51"},
    {"Philippines", "+63"},
    {"Poland", "+48"},
    {"Portugal", "+351"},
    {"Puerto Rico", "+1787"},
    {"Qatar", "+974"},
    {"Reunion", "+262"},
    {"Romania", "+40"},
    {"Russia", "+7"},
    {"Rwanda", "+250"},
    {"Samoa (American)", "+684"},
    {"Samoa (Western)", "+685"},
    {"San Marino", "+378"},
    {"Sao Tome & Principe", "+23912"},
    {"Saudi Arabia", "+966"},
    {"Senegal", "+221"},
    {"Serbia & Montenegro", "+381"},
    {"Seychelles", "+248"},
    {"Sierra Leone", "+232"},
    {"Singapore", "+65"},
    {"Slovak Republic", "+421"},
    {"Siovenia", "+386"},
    {"Solomon Island", "+677"},
    {"Somalia", "+252"},
    {"South Africa", "+27"},
    {"Spain", "+34"},
    {"Sri Lanka", "+94"},
    {"St Helena", "+290"},
    {"St Kitts & Nevis", "+1869"},
    {"St Lucia", "+1758"},
    {"St Pierre & Miqueion", "+508"},
    {"St Vincent & The Grenadines", "+1809"},
    {"Sudan", "+249"},
    {"Surinam", "+597"},
    {"Swaziland", "+268"},
    {"Sweden", "+46"},
    {"Switzerland", "+41"},
    {"Syria", "+963"},
    {"Taiwan", "+886"},
    {"Tajikistan", "+7"},
    {"Tanzania", "+255"},
    {"Thailand", "+66"},
    {"The Gambia", "+220"},
    {"Togo", "+228"},
    {"Tonga", "+676"},
    {"Trinidad & Tobago", "+1868"},
    {"Tunisia", "+216"},
    {"Turkey", "+90"},
    {"Turkmenistan", "+993"},
    {"Turks & Caicos Islands", "+1809"},
    {"Tuvalu", "+688"},
    {"Uganda", "+256"},
    {"Ukraine", "+380"},
    {"United Arab Emirates", "+971"},
    {"United Kingdom", "+44"},
    {"Uruguay", "+598"},
    {"USA", "+1"},
    {"Uzbekistan", "+7"},
    {"Vanuatu", "+678"},
    {"Vatican City", "+39"},
    {"Venezuela", "+58"},
    {"Vietnam", "+84"},
    {"Virgin Islands (BR)", "+1809496"},
    {"Virgin Islands (US)", "+1809"},
    {"Wallis & Futuna Islands", "+681"},
    {"Yemen Arab Republic", "+967"},
    {"Yemen PDR", "+969"},
    {"Zaire", "+243"},
    {"Zambia", "+260"},
    {"Zimbabwe", "+263"},
}};

// Compares two texts as the list does: upper-cased Windows-1250 bytes, unsigned.
int CompareNoCase(std::string_view left, std::string_view right) {
    for (std::size_t position = 0; position < left.size() && position < right.size(); ++position) {
        const auto a = static_cast<unsigned char>(UpperCase1250(left[position]));
        const auto b = static_cast<unsigned char>(UpperCase1250(right[position]));
        if (a != b) return a < b ? -1 : 1;
    }
    if (left.size() == right.size()) return 0;
    return left.size() < right.size() ? -1 : 1;
}

}  // namespace

std::span<const CountryDialingCode> CountryDialingCodes() { return kCountries; }

std::optional<std::string_view> FindDialingCode(std::string_view country) {
    for (const CountryDialingCode& row : kCountries) {
        if (row.country == country) return row.code;
    }
    return std::nullopt;
}

std::optional<std::string_view> FindCountry(std::string_view code) {
    for (const CountryDialingCode& row : kCountries) {
        if (row.code == code) return row.country;
    }
    return std::nullopt;
}

std::array<std::uint16_t, kCountryDialingCodeCount> CountryRowsByCode() {
    std::array<std::uint16_t, kCountryDialingCodeCount> rows{};
    for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = static_cast<std::uint16_t>(row);
    // Each place takes the first smallest code of the rest; the row it held moves to where that was.
    for (std::size_t place = 0; place + 1 < rows.size(); ++place) {
        std::size_t smallest = place;
        for (std::size_t candidate = place + 1; candidate < rows.size(); ++candidate) {
            if (CompareNoCase(kCountries[rows[candidate]].code, kCountries[rows[smallest]].code) < 0) {
                smallest = candidate;
            }
        }
        std::swap(rows[place], rows[smallest]);
    }
    return rows;
}

std::string InsertChosenCode(std::string_view code, std::string_view field) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    std::string text(code);
    text += field;
    return text;
}

}  // namespace quillet::phonebook
